#!/usr/bin/env python3
"""Validates every line of standard input (JSON Lines) against the JSON Schema named on
the command line; prints each fault and exits 1 when there is one."""
import json
import sys

import jsonschema

schema = json.load(open(sys.argv[1], encoding="utf-8"))
validator = jsonschema.Draft202012Validator(schema)
faults = 0
lines = sys.stdin.read().split("\n")
for number, line in enumerate(lines[:-1], 1):
    for error in validator.iter_errors(json.loads(line)):
        faults += 1
        print(f"line {number}: {'/'.join(map(str, error.path))}: {error.message}")
if lines[-1] != "" or len(lines) < 2:
    faults += 1
    print("not JSON Lines: no records, or no line break at the end")
sys.exit(1 if faults else 0)
