-- The tables of the data source vemka on a PostgreSQL server, and the default weight limits. Run in
-- the project's folder, as the role that data/postgresql-setup.sql made:
--     psql -h SERVER -U fitmarkel -d vemka -f data/postgresql-load.sql
-- Tables that exist are kept, and a weight-limit table that holds rows is left as it is.
\set ON_ERROR_STOP on
\ir schema.sql
-- The CSV files carry a sixth column, the source of each row.
CREATE TEMP TABLE weight_limits_csv (s INTEGER, z1 REAL, z2 REAL, z3 REAL, z4 REAL, source TEXT);
\copy weight_limits_csv FROM 'data/weight-limits-men.csv' WITH (FORMAT csv, HEADER true)
INSERT INTO dx1234_m (s, z1, z2, z3, z4)
    SELECT s, z1, z2, z3, z4 FROM weight_limits_csv WHERE NOT EXISTS (SELECT 1 FROM dx1234_m);
TRUNCATE weight_limits_csv;
\copy weight_limits_csv FROM 'data/weight-limits-women.csv' WITH (FORMAT csv, HEADER true)
INSERT INTO dx1234_w (s, z1, z2, z3, z4)
    SELECT s, z1, z2, z3, z4 FROM weight_limits_csv WHERE NOT EXISTS (SELECT 1 FROM dx1234_w);
