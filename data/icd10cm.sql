-- The diagnosis database "ICD10CM.sqlite": table DX. Run from data/.
.bail on
CREATE TABLE DX (ICD10 TEXT NOT NULL, SNAME TEXT, ENAME TEXT);
.import --csv --skip 1 dx.csv DX
.read tools/icd10cm-indexes.sql
