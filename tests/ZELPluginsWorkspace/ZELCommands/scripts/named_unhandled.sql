-- A second rear hub under the same instance name as the first.
INSERT INTO components (id, type, saved, maturity) SELECT 100, type, saved, maturity FROM components WHERE id = 24;
INSERT INTO attributes SELECT 100, position, name, type, value FROM attributes WHERE component = 24;
INSERT INTO instances VALUES (100, 3, 7);
