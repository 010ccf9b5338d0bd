"""Counts test cases over the CTest runs of scripts/test.

A GoogleTest program counts each of its cases (from its XML report); any
other CTest test counts once. A program that failed without reporting a
failed case (a crash, a sanitizer report) counts one failure more.
"""
import sys
import xml.etree.ElementTree as ET
from pathlib import Path


def main(argv):
    passed = failed = skipped = 0
    build_failed = [a.split("=", 1)[1] for a in argv if a.startswith("--build-failed=")]
    for name in build_failed:
        print(f"build failed: {name}")
        failed += 1
    for d in (Path(a) for a in argv if not a.startswith("--")):
        junit = d / "test-results" / "ctest-junit.xml"
        if not junit.exists():
            print(f"{d}: no test results")
            failed += 1
            continue
        for case in ET.parse(junit).getroot().iter("testcase"):
            name = case.get("name")
            ctest_failed = case.get("status") == "fail" or case.find("failure") is not None
            if case.get("status") == "notrun" or case.find("skipped") is not None:
                skipped += 1
                continue
            report = d / "test-results" / f"{name}.xml"
            if report.exists():
                root = ET.parse(report).getroot()
                tests = int(root.get("tests", 0))
                fails = int(root.get("failures", 0)) + int(root.get("errors", 0))
                skips = int(root.get("disabled", 0)) + sum(
                    1 for c in root.iter("testcase") if c.get("result") == "skipped")
                passed += tests - fails - skips
                failed += fails
                skipped += skips
                if ctest_failed and fails == 0:
                    print(f"{d.name}/{name}: failed outside its test cases")
                    failed += 1
            else:
                if ctest_failed:
                    failed += 1
                else:
                    passed += 1
            if ctest_failed:
                print(f"FAILED: {d.name}/{name}")
    line = f"{passed} passed, {failed} failed"
    if skipped:
        line += f", {skipped} skipped"
    print(line)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
