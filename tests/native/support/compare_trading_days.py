#!/usr/bin/env python3
"""Checks the exchange's closing days against dateutil's Easter and Python's own calendar.

Usage: compare_trading_days.py NON_TRADING_DAYS_PROGRAM [FIRST LAST]
"""
import calendar
import datetime
import subprocess
import sys

from dateutil.easter import easter


def expected_closed_weekdays(year):
    easter_sunday = easter(year)
    fixed = [datetime.date(year, 1, 1), datetime.date(year, 5, 1),
             datetime.date(year, 12, 25), datetime.date(year, 12, 26)]
    moving = [easter_sunday - datetime.timedelta(days=2), easter_sunday + datetime.timedelta(days=1)]
    return {d for d in fixed + moving if d.weekday() < 5}


def weekend_days(year):
    length = 366 if calendar.isleap(year) else 365
    first = datetime.date(year, 1, 1).weekday()
    return 2 * (length // 7) + sum((first + i) % 7 >= 5 for i in range(length % 7))


def main():
    program = sys.argv[1]
    first, last = (int(sys.argv[2]), int(sys.argv[3])) if len(sys.argv) > 3 else (1600, 2400)
    output = subprocess.run([program, str(first), str(last)], check=True, capture_output=True, text=True).stdout
    closed_weekdays, closed_counts = set(), {}
    for line in output.splitlines():
        if line.startswith("year "):
            _, year, count = line.split()
            closed_counts[int(year)] = int(count)
        else:
            closed_weekdays.add(datetime.date.fromisoformat(line))

    errors = []
    for year in range(first, last + 1):
        expected = expected_closed_weekdays(year)
        got = {d for d in closed_weekdays if d.year == year}
        if got != expected:
            errors.append(f"{year}: missing {sorted(expected - got)}, extra {sorted(got - expected)}")
        expected_count = len(expected) + weekend_days(year)
        if closed_counts.get(year) != expected_count:
            errors.append(f"{year}: {closed_counts.get(year)} closed days, expected {expected_count}")
    if errors:
        print("\n".join(errors[:20]))
        return 1
    print(f"{last - first + 1} years agree ({len(closed_weekdays)} closed weekdays)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
