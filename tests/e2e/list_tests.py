"""Prints the id of every end-to-end test, one a line, for CMake to register
each as its own ctest test. Importing the tests needs neither Wine nor a build."""

import sys
import unittest
from pathlib import Path


def ids(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from ids(item)
        else:
            yield item.id()


def main():
    here = Path(__file__).resolve().parent
    sys.path.insert(0, str(here))
    suite = unittest.TestLoader().discover(str(here), pattern="test_*.py", top_level_dir=str(here))
    failed = [i for i in ids(suite) if i.startswith("unittest.loader._FailedTest")]
    if failed:
        print("cannot import: " + ", ".join(failed), file=sys.stderr)
        return 1
    for test_id in ids(suite):
        print(test_id)
    return 0


if __name__ == "__main__":
    sys.exit(main())
