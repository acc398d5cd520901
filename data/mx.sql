-- The drug database "MX.sqlite": the four tables the prescription lists look
-- codes up in, in the order medicine, OPD, Vaccine, material. Run from data/.
.bail on
CREATE TABLE medicine (INSUCODE TEXT NOT NULL, ENAME TEXT, CNAME TEXT);
CREATE TABLE OPD (INSUCODE TEXT NOT NULL, ENAME TEXT, CNAME TEXT);
CREATE TABLE Vaccine (INSUCODE TEXT NOT NULL, ENAME TEXT, CNAME TEXT);
CREATE TABLE material (INSUCODE TEXT NOT NULL, OBJECTNAME TEXT);
.import --csv --skip 1 medicine.csv medicine
.import --csv --skip 1 opd.csv OPD
.import --csv --skip 1 vaccine.csv Vaccine
.import --csv --skip 1 material.csv material
.read tools/mx-indexes.sql
