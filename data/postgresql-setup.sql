-- A department's PostgreSQL server for the data source vemka: the role the program connects as, with
-- the password fixed in the program, and the database it owns. Run once as the server's superuser:
--     runuser -u postgres -- psql < data/postgresql-setup.sql
CREATE ROLE fitmarkel LOGIN PASSWORD 'pelvok3864';
-- A Save that meets a lock held by another session waits at most this long, then reports why it failed.
ALTER ROLE fitmarkel SET lock_timeout = '5s';
CREATE DATABASE vemka OWNER fitmarkel ENCODING 'UTF8' TEMPLATE template0;
