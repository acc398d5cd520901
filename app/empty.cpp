// Placeholder translation unit for a subsystem that has no files yet.
