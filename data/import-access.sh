#!/usr/bin/env bash
# Builds the program folder's databases from a clinic's own Access files:
#   MX.mdb      -> MX.sqlite       (tables medicine, OPD, Vaccine, material)
#   ICD10CM.MDB -> ICD10CM.sqlite  (table DX)
# Every column of those tables is kept; the program reads only the ones listed
# in data/README.md. Needs mdb-tables and mdb-export (mdbtools) and sqlite3.
#
# Usage: data/import-access.sh [-o OUTPUT_FOLDER] [--mx MX.mdb] [--dx ICD10CM.MDB]
# Without --mx/--dx, MX.mdb and ICD10CM.MDB are looked for in the current folder.
# An existing database is replaced only when its import has finished.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=.
mx=
dx=
while [ $# -gt 0 ]; do
  case "$1" in
    -o) out=$2; shift 2 ;;
    --mx) mx=$2; shift 2 ;;
    --dx) dx=$2; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "import-access: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ -z "$mx" ] && [ -z "$dx" ]; then
  [ -f MX.mdb ] && mx=MX.mdb
  [ -f ICD10CM.MDB ] && dx=ICD10CM.MDB
fi
if [ -z "$mx" ] && [ -z "$dx" ]; then
  echo "import-access: no MX.mdb or ICD10CM.MDB given or found" >&2
  exit 2
fi
for tool in mdb-tables mdb-export sqlite3; do
  command -v "$tool" >/dev/null || { echo "import-access: $tool is not installed" >&2; exit 2; }
done
mkdir -p "$out"

# Older Access files hold text in the desktop's code page rather than Unicode.
export MDB_JET3_CHARSET=${MDB_JET3_CHARSET:-CP950}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# import MDB SQLITE_NAME INDEX_SQL TABLE:COLUMNS...
#   COLUMNS are the columns the program reads, comma-separated; a table the
#   Access file lacks is created empty with them so that look-ups still run.
import() {
  local mdb=$1 name=$2 indexes=$3
  shift 3
  [ -f "$mdb" ] || { echo "import-access: $mdb not found" >&2; exit 1; }
  local db="$work/$name"
  rm -f "$db"
  local tables
  tables=$(mdb-tables -1 "$mdb")
  local entry table columns found
  for entry in "$@"; do
    table=${entry%%:*}
    columns=${entry#*:}
    # Access names compare without regard to case.
    found=$(printf '%s\n' "$tables" | grep -ix -- "$table" | head -n 1 || true)
    if [ -z "$found" ]; then
      echo "import-access: $mdb has no table $table; creating it empty" >&2
      sqlite3 -bail "$db" "CREATE TABLE \"$table\" ($(printf '%s' "$columns" | sed 's/,/ TEXT, /g') TEXT);"
      continue
    fi
    mdb-export -D '%Y-%m-%d' -T '%Y-%m-%d %H:%M:%S' "$mdb" "$found" >"$work/$table.csv"
    if [ ! -s "$work/$table.csv" ]; then
      sqlite3 -bail "$db" "CREATE TABLE \"$table\" ($(printf '%s' "$columns" | sed 's/,/ TEXT, /g') TEXT);"
    else
      sqlite3 -bail "$db" ".import --csv '$work/$table.csv' \"$table\""
    fi
    # The columns the program reads must be there.
    if ! sqlite3 -bail "$db" "SELECT $columns FROM \"$table\" LIMIT 0;" >/dev/null 2>&1; then
      echo "import-access: table $table of $mdb lacks one of the columns $columns" >&2
      exit 1
    fi
    echo "import-access: $table: $(sqlite3 "$db" "SELECT count(*) FROM \"$table\";") rows"
  done
  sqlite3 -bail "$db" ".read '$indexes'"
  mv -f "$db" "$out/$name.tmp"
  mv -f "$out/$name.tmp" "$out/$name"
  echo "import-access: wrote $out/$name"
}

if [ -n "$mx" ]; then
  import "$mx" MX.sqlite "$here/tools/mx-indexes.sql" \
    medicine:INSUCODE,ENAME OPD:INSUCODE,ENAME,CNAME Vaccine:INSUCODE,ENAME \
    material:INSUCODE,OBJECTNAME
fi
if [ -n "$dx" ]; then
  import "$dx" ICD10CM.sqlite "$here/tools/icd10cm-indexes.sql" DX:ICD10,SNAME,ENAME
fi
