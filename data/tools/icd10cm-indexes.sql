-- Look-ups compare codes without regard to case; this index serves them.
CREATE INDEX IF NOT EXISTS DX_ICD10 ON DX (ICD10 COLLATE NOCASE);
