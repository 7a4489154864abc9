// Prints what the npm reader sees in a Jet file, as JSON on standard output:
// every table (user tables; system tables too with --system) with its columns
// and rows. Values are made comparable as text: binary as lower-case hex,
// dates as ISO text, everything else as the reader gives it.
import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

const args = process.argv.slice(2);
const withSystem = args.includes("--system");
const file = args.find((a) => !a.startsWith("--"));
if (!file) {
  console.error("usage: dump.mjs FILE [--system]");
  process.exit(2);
}

function plain(value) {
  if (value === null || value === undefined) return null;
  if (Buffer.isBuffer(value)) return value.toString("hex");
  if (value instanceof Date) return value.toISOString();
  if (typeof value === "bigint") return value.toString();
  return value;
}

const reader = new MDBReader(readFileSync(file));
const names = reader.getTableNames({ normalTables: true, systemTables: withSystem, linkedTables: false });
const tables = names.map((name) => {
  const table = reader.getTable(name);
  const columns = table.getColumns().map((c) => ({
    name: c.name,
    type: c.type,
    size: c.size,
    fixedLength: c.fixedLength,
    nullable: c.nullable,
    autoLong: c.autoLong,
    autoUUID: c.autoUUID,
    precision: c.precision ?? null,
    scale: c.scale ?? null,
  }));
  const rows = table.getData().map((row) => columns.map((c) => plain(row[c.name])));
  return { name, rowCount: table.rowCount, columns, rows };
});
process.stdout.write(JSON.stringify({ sortOrder: reader.getDefaultSortOrder(), tables }));
