// Prints what the npm reader sees in a Jet file, as JSON on standard output:
// every table (user tables; system tables too with --system) with its columns
// and rows. Values are made comparable as text: binary as lower-case hex,
// dates as ISO text, everything else as the reader gives it.
//
// With --serve it reads many files in one start (starting node costs far more
// than reading a small file): each line of standard input is a request
// {"file": PATH, "system": BOOL}, answered by one line: the dump's JSON, or "!"
// and the reason it could not be read. It ends when its input ends.
import { readFileSync } from "node:fs";
import { createInterface } from "node:readline";
import MDBReader from "mdb-reader";

function plain(value) {
  if (value === null || value === undefined) return null;
  if (Buffer.isBuffer(value)) return value.toString("hex");
  if (value instanceof Date) return value.toISOString();
  if (typeof value === "bigint") return value.toString();
  return value;
}

function dump(file, withSystem) {
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
  return JSON.stringify({ sortOrder: reader.getDefaultSortOrder(), tables });
}

const args = process.argv.slice(2);
if (args.includes("--serve")) {
  const lines = createInterface({ input: process.stdin, crlfDelay: Infinity, terminal: false });
  for await (const line of lines) {
    if (line.trim() === "") continue;
    let answer;
    try {
      const request = JSON.parse(line);
      answer = dump(request.file, Boolean(request.system));
    } catch (e) {
      answer = "!" + String(e && e.message ? e.message : e).replace(/[\r\n]+/g, " ");
    }
    // One answer at a time: wait until it is out before reading the next.
    await new Promise((resolve) => process.stdout.write(answer + "\n", resolve));
  }
} else {
  const file = args.find((a) => !a.startsWith("--"));
  if (!file) {
    console.error("usage: dump.mjs FILE [--system] | dump.mjs --serve");
    process.exit(2);
  }
  process.stdout.write(dump(file, args.includes("--system")));
}
