#!/usr/bin/python3
"""Turns vrn07-render's --set "Name=value" settings (real units) into the normalised VST
parameter values the plug-in receives for them, one "INDEX=VALUE" line each.

    normalized-settings.py engine/ControlTable.cpp "Limiter Gain=6" ...

The ranges and curves come from the plug-in's control table, and the mapping is the one
vrn07-render uses: logarithmic knobs map log(value) linearly, every other control maps the
value linearly. The values are printed with enough digits to reach the host's float
conversion unchanged. vrn07-render checks names and ranges first, so only names are checked
here.
"""

import math
import re
import sys

# knob(id, "Name", bitmap, x, y, valueDy, formatter, default, minimum, maximum, curve)
# button(id, "Name", kind, bitmap, x, y, default): a switch from 0 to 1.
ROW_CALL = re.compile(r'\b(knob|button)\(\s*(\d+)\s*,\s*"([^"]*)"\s*,([^()]*)\)')


def control_rows(table_source):
    rows = {}
    for kind, index, name, rest in ROW_CALL.findall(table_source):
        fields = [field.strip() for field in rest.split(",")]
        if kind == "knob":
            minimum, maximum, curve = float(fields[6]), float(fields[7]), fields[8]
            logarithmic = curve == "kCurveLogarithmic"
        else:
            minimum, maximum, logarithmic = 0.0, 1.0, False
        rows[name] = (int(index), minimum, maximum, logarithmic)
    return rows


def find_row(rows, name):
    """An exact match wins over one that ignores case, as in vrn07-render."""
    if name in rows:
        return rows[name]
    for row_name, row in rows.items():
        if row_name.lower() == name.lower():
            return row
    sys.exit(f"normalized-settings: no parameter named {name!r} in the control table")


def normalized(row, value):
    _, minimum, maximum, logarithmic = row
    if logarithmic:
        return (math.log(value) - math.log(minimum)) / (math.log(maximum) - math.log(minimum))
    return (value - minimum) / (maximum - minimum)


def main():
    with open(sys.argv[1], encoding="utf-8") as table:
        rows = control_rows(table.read())
    for setting in sys.argv[2:]:
        name, _, value = setting.partition("=")
        row = find_row(rows, name.strip())
        print(f"{row[0]}={normalized(row, float(value.strip()))!r}")


if __name__ == "__main__":
    main()
