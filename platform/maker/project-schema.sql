-- Project store "ZELKOPRJ.sqlite", layout version 1. Texts are UTF-8.
-- Create an empty store with:  sqlite3 ZELKOPRJ.sqlite < project-schema.sql
PRAGMA user_version = 1;

-- The project: key/value pairs. Keys read: "name", "data_version" (e.g. "25.00"),
-- "revision_state.0", "revision_state2.1" (2 = a previous output revision exists).
CREATE TABLE project (
    key   TEXT PRIMARY KEY,
    value TEXT NOT NULL
);

-- The project's drawings. path: relative to the drawing root "DWG" ("/" separators);
-- kind: 2 = panel and layout drawings; panel_no: the panel the drawing belongs to ('' for
-- none); flags: project flags (0x40 = panel drawing).
CREATE TABLE drawing (
    path     TEXT PRIMARY KEY,
    kind     INTEGER NOT NULL DEFAULT 2,
    panel_no TEXT NOT NULL DEFAULT '',
    flags    INTEGER NOT NULL DEFAULT 0
);

-- Rows of panels (one development drawing each), ordered by seq.
CREATE TABLE panel_row (
    id   INTEGER PRIMARY KEY,
    seq  INTEGER NOT NULL,
    name TEXT NOT NULL
);

-- Panels, ordered by seq. Panel and plate ids must not overlap (a terminal's owner id names
-- either). kind 2 = a panel without back-panel list. row_id/row_seq: membership and place in
-- a row of panels (NULL: in no row).
CREATE TABLE panel (
    id       INTEGER PRIMARY KEY,
    seq      INTEGER NOT NULL,
    panel_no TEXT NOT NULL UNIQUE,
    name     TEXT NOT NULL,
    kind     INTEGER NOT NULL DEFAULT 0,
    row_id   INTEGER REFERENCES panel_row(id),
    row_seq  INTEGER NOT NULL DEFAULT 0
);

-- Mounting plates of a panel, ordered by seq. face: '表面' (front) or '裏面' (back).
CREATE TABLE plate (
    id       INTEGER PRIMARY KEY,
    panel_id INTEGER NOT NULL REFERENCES panel(id),
    seq      INTEGER NOT NULL,
    name     TEXT NOT NULL,
    face     TEXT NOT NULL DEFAULT '表面'
);

-- Duct types of the plan, ordered by seq: name, width, type code for the duct drawing.
CREATE TABLE duct_type (
    seq   INTEGER PRIMARY KEY,
    name  TEXT NOT NULL DEFAULT '',
    width INTEGER NOT NULL,
    type  INTEGER NOT NULL
);

-- Plan settings, integers: "mirror_correction" (1 = apply the mirror rule), "uses_plates"
-- (1 = equipment is placed on plates), "plan_option" (passed to the revision difference).
CREATE TABLE plan_setting (
    key   TEXT PRIMARY KEY,
    value INTEGER NOT NULL
);

-- Terminals of the wiring plan, all three lists in one table.
-- list: 1 component terminals, 2 terminal-block terminals, 3 relay terminals.
-- revision: 0 current, 1 previous. owner_id: plate id, or panel id when on no plate.
-- kind: relay kind 1 BANNAI, 2 DOOR, 3 BANKAN (0 otherwise). order_no: order on its plate
-- (negative: none). Texts may be NULL ("missing"). wire_code/tube_code: one letter or NULL.
-- terminal_kind NULL or '': the terminal takes no entry direction. face: '表面' or '裏面'.
CREATE TABLE terminal (
    id            INTEGER PRIMARY KEY,
    list          INTEGER NOT NULL CHECK (list IN (1, 2, 3)),
    revision      INTEGER NOT NULL DEFAULT 0,
    owner_id      INTEGER NOT NULL,
    kind          INTEGER NOT NULL DEFAULT 0,
    order_no      INTEGER NOT NULL DEFAULT -1,
    panel_no      TEXT,
    drawing       TEXT,
    tag           TEXT,
    terminal_no   TEXT,
    second_name   TEXT,
    part_code     TEXT,
    type          TEXT,
    spec          TEXT,
    connector     TEXT,
    unit          TEXT,
    pin           INTEGER NOT NULL DEFAULT 0,
    pin_x         REAL NOT NULL DEFAULT 0,
    pin_y         REAL NOT NULL DEFAULT 0,
    pin_z         REAL NOT NULL DEFAULT 0,
    wire_dir      TEXT,
    tube_dir      TEXT,
    wire_code     TEXT,
    tube_code     TEXT,
    mirrored      INTEGER NOT NULL DEFAULT 0,
    mirror_count  INTEGER NOT NULL DEFAULT 0,
    terminal_kind TEXT,
    face          TEXT
);
CREATE INDEX terminal_by_list ON terminal(list, revision);

-- Devices of the back-panel list, per panel and revision.
CREATE TABLE device (
    id             INTEGER PRIMARY KEY,
    revision       INTEGER NOT NULL DEFAULT 0,
    panel_no       TEXT NOT NULL,
    key            TEXT NOT NULL,
    order_key      INTEGER NOT NULL DEFAULT 0,
    plate          TEXT NOT NULL DEFAULT '',
    address_prefix TEXT NOT NULL DEFAULT '',
    address_no     TEXT NOT NULL DEFAULT '',
    unit           TEXT NOT NULL DEFAULT '',
    tag            TEXT NOT NULL DEFAULT '',
    part_code      TEXT NOT NULL DEFAULT '',
    rating         TEXT NOT NULL DEFAULT '',
    model          TEXT NOT NULL DEFAULT ''
);
CREATE INDEX device_by_revision ON device(revision);
-- The back-panel lists read a revision panel by panel.
CREATE INDEX device_by_panel ON device(revision, panel_no COLLATE NOCASE);

-- Wire ends at the devices' terminals, per revision. Side 1 is where the wire starts, side 2
-- where it ends; route_kind 'BANKAN', 'BANNAI' or 'DOOR'; terminal_type 'CONV', 'COIL', ...
CREATE TABLE wire_end (
    id            INTEGER PRIMARY KEY,
    revision      INTEGER NOT NULL DEFAULT 0,
    panel_no      TEXT NOT NULL,
    device_key    TEXT NOT NULL,
    connector     TEXT NOT NULL DEFAULT '',
    terminal_no   TEXT NOT NULL DEFAULT '',
    wire_no       TEXT NOT NULL DEFAULT '',
    kind          INTEGER NOT NULL DEFAULT 0,
    route_kind    TEXT NOT NULL DEFAULT '',
    terminal_type TEXT NOT NULL DEFAULT '',
    part_code     TEXT NOT NULL DEFAULT '',
    panel1 TEXT NOT NULL DEFAULT '', tag1 TEXT NOT NULL DEFAULT '', terminal1 TEXT NOT NULL DEFAULT '',
    dest_prefix1 TEXT NOT NULL DEFAULT '', dest_no1 TEXT NOT NULL DEFAULT '',
    wire_kind1 TEXT NOT NULL DEFAULT '', wire_size1 TEXT NOT NULL DEFAULT '',
    wire_color1 TEXT NOT NULL DEFAULT '', special1 TEXT NOT NULL DEFAULT '',
    panel2 TEXT NOT NULL DEFAULT '', tag2 TEXT NOT NULL DEFAULT '', terminal2 TEXT NOT NULL DEFAULT '',
    dest_prefix2 TEXT NOT NULL DEFAULT '', dest_no2 TEXT NOT NULL DEFAULT '',
    wire_kind2 TEXT NOT NULL DEFAULT '', wire_size2 TEXT NOT NULL DEFAULT '',
    wire_color2 TEXT NOT NULL DEFAULT '', special2 TEXT NOT NULL DEFAULT ''
);
CREATE INDEX wire_end_by_revision ON wire_end(revision);
CREATE INDEX wire_end_by_panel ON wire_end(revision, panel_no COLLATE NOCASE);

-- Route-cut numbers of the maker's symbols in the layout drawings, read by RouteCutList.
-- page: the drawing's file name without folder and extension ("LAYOUT_ROW1"); handle: the
-- symbol's handle as the drawing writes it (hexadecimal); both compared without regard to
-- case. A symbol's numbers in seq order.
CREATE TABLE route_cut (
    page   TEXT NOT NULL COLLATE NOCASE,
    handle TEXT NOT NULL COLLATE NOCASE,
    seq    INTEGER NOT NULL DEFAULT 0,
    number INTEGER NOT NULL
);
CREATE INDEX route_cut_by_symbol ON route_cut(page, handle);
