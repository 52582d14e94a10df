-- Tables of the data source vemka. Flag columns are VARCHAR: a padding type would turn "1" into "1 ".
CREATE TABLE IF NOT EXISTS xmsz (
    nj      VARCHAR(2)  NOT NULL PRIMARY KEY,
    xm_z_m  VARCHAR(1),
    xm_5_m  VARCHAR(1),
    xm_l_m  VARCHAR(1),
    xm_t_m  VARCHAR(1),
    xm_58_m VARCHAR(1),
    xm_w_m  VARCHAR(1),
    xm_1_m  VARCHAR(1),
    xm_8_w  VARCHAR(1),
    xm_z_w  VARCHAR(1),
    xm_5_w  VARCHAR(1),
    xm_l_w  VARCHAR(1),
    xm_t_w  VARCHAR(50),
    xm_58_w VARCHAR(1),
    xm_w_w  VARCHAR(1),
    xm_y_w  VARCHAR(1)
);

-- Weight limits by whole-centimetre height s (kg): z1 lower weight, z2 normal, z3 overweight, z4 obese.
CREATE TABLE IF NOT EXISTS dx1234_m (
    s  INTEGER NOT NULL PRIMARY KEY,
    z1 REAL NOT NULL,
    z2 REAL NOT NULL,
    z3 REAL NOT NULL,
    z4 REAL NOT NULL,
    CHECK (z1 > 0 AND z1 < z2 AND z2 < z3 AND z3 < z4)
);

CREATE TABLE IF NOT EXISTS dx1234_w (
    s  INTEGER NOT NULL PRIMARY KEY,
    z1 REAL NOT NULL,
    z2 REAL NOT NULL,
    z3 REAL NOT NULL,
    z4 REAL NOT NULL,
    CHECK (z1 > 0 AND z1 < z2 AND z2 < z3 AND z3 < z4)
);
