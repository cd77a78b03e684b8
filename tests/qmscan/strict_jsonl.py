#!/usr/bin/env python3
# qmscan --jsonl read with Python's own strict JSON reader: strict UTF-8,
# every line one object of strings, integers and booleans only (no nesting,
# no fractions, no name twice, no raw control character), the summary last,
# alone and under 2,048 bytes, counting the entries listed. Prints one JSON
# array a line for each entry: kind, id, file.path, file.hash.sha256,
# quillmoor.hash_note, file.size (-1 when left out), quillmoor.change; then
# the summary. Any fault ends it with an exception (exit code 1).
import json
import sys


def flat(pairs):
    names = [name for name, _ in pairs]
    if len(names) != len(set(names)):
        raise ValueError("a name twice: %r" % names)
    for name, value in pairs:
        if type(value) not in (str, int, bool):
            raise ValueError("not a plain value: %r" % name)
    return dict(pairs)


def refuse(text):
    raise ValueError("not an integer: " + text)


lines = open(sys.argv[1], "rb").read().decode("utf-8").split("\n")
if lines.pop() != "":
    raise ValueError("the last line has no line break")
objects = [json.loads(line, object_pairs_hook=flat, parse_float=refuse, parse_constant=refuse) for line in lines]
summary = objects.pop()
if len(lines[-1].encode()) >= 2048 or any("quillmoor.summary.entries" in o for o in objects):
    raise ValueError("the summary is not last, alone and short")
listed = [o for o in objects if o.get("quillmoor.change") != "gone"]
counts = [v for k, v in summary.items() if k.startswith("quillmoor.summary.count.")]
if summary["quillmoor.summary.entries"] != len(listed) or sum(counts) != len(listed):
    raise ValueError("the summary does not count the entries")
for o in objects:
    print(json.dumps([o["quillmoor.kind"], o.get("quillmoor.id", ""), o.get("file.path", ""), o.get("file.hash.sha256", ""),
                      o.get("quillmoor.hash_note", ""), o.get("file.size", -1), o.get("quillmoor.change", "")]))
print(json.dumps(summary))
