-- Parts database (the default "BOM/ZELKOBOM.sqlite", or the ".mdb" file of a 3D layout
-- folder, which also serves as that folder's wiring database). Texts are UTF-8. Text
-- comparisons in queries ignore case, as the tools that fill these files expect.
-- Create an empty one with:  sqlite3 ZELKOBOM.sqlite < parts-schema.sql

-- Optional: which table has which role ("parts", "terminals"). Without a row the parts
-- table is "bom" and the terminal table "pin".
CREATE TABLE bom_role (
    role       TEXT PRIMARY KEY,
    table_name TEXT NOT NULL
);

-- Parts: code, 2D symbol (drawing name, may be quoted and end in ".dwg"), 3D symbol.
CREATE TABLE bom (
    code     TEXT PRIMARY KEY COLLATE NOCASE,
    name     TEXT NOT NULL DEFAULT '',
    bombsym  TEXT NOT NULL DEFAULT '',
    BOM3DSYM TEXT NOT NULL DEFAULT ''
);

-- Terminal table and wiring-database pin table: per part, its terminal names, pin numbers
-- and terminal kinds.
CREATE TABLE pin (
    code      TEXT NOT NULL COLLATE NOCASE,
    bompinval TEXT NOT NULL COLLATE NOCASE,
    bompinno  INTEGER NOT NULL,
    bomkind6  TEXT NOT NULL DEFAULT ''
);
CREATE INDEX pin_by_code ON pin(code, bompinno);
