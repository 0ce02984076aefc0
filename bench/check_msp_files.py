#!/usr/bin/env python3
"""Compare KORVANT's early schedule with the dates MS Project stored.

    bench/check_msp_files.py KORVANT DIR_OR_FILE... [--verbose]

Every *.xml under the given directories that is an MS Project XML file
(MSPDI) with a Start on its tasks is converted with `korvant --convert` and
reported with `korvant --report --no-layout`. For every task that MS Project
scheduled by its links alone (auto-scheduled, "as soon as possible", no
progress, not a summary, null, inactive or external task) the working time
from the project's StartDate to the task's Start, counted on the project
calendar of the file and divided by its MinutesPerDay, must equal the early
start KORVANT gives the task (its first part, when the task was split). The
project's duration is compared the same way with the latest Finish.

Tasks that MS Project placed by other rules (constraints, manual
scheduling, actual dates, task calendars) are counted as left out with the
reason; a compared task that differs is listed with what about it or its
predecessors can explain it. Nothing is fetched: the files are read from
the directories given. The exit status is 1 when a file is refused or a
task starts elsewhere with nothing to explain it, 0 otherwise.
"""
import datetime as dt
import json
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

NS = '{http://schemas.microsoft.com/project}'
TOLERANCE = 1e-3  # days: MS Project rounds its dates to the minute
ELAPSED = {4, 6, 8, 10, 12, 20, 36, 38, 40, 42, 44, 52}
STANDARD_DAY = [(8 * 60, 12 * 60), (13 * 60, 17 * 60)]


def child(node, name):
    found = node.find(NS + name)
    return None if found is None or found.text is None else found.text.strip()


def flag(node, name):
    return child(node, name) in ('1', 'true')


def when(text):
    return dt.datetime.fromisoformat(text[:19])


def minutes(text):
    h, m = text.split(':')[:2]
    return int(h) * 60 + int(m)


def periods(day):
    """The working periods of a WeekDay or Exception element, in minutes."""
    if not flag(day, 'DayWorking'):
        return []
    spans = []
    for wt in day.iter(NS + 'WorkingTime'):
        start, finish = child(wt, 'FromTime'), child(wt, 'ToTime')
        if start is None or finish is None:
            continue
        a, b = minutes(start), minutes(finish)
        spans.append((a, b if b > a else 24 * 60))
    return spans


class Calendar:
    """One MSPDI calendar: weekdays, exceptions, work weeks and its base."""

    def __init__(self, node):
        self.uid = child(node, 'UID')
        self.base = child(node, 'BaseCalendarUID')
        self.weekdays = {}
        self.exceptions = []  # (from date, to date, periods)
        self.workweeks = []   # (from date, to date, {weekday: periods})
        days = node.find(NS + 'WeekDays')
        for day in (days if days is not None else []):
            kind = int(child(day, 'DayType') or -1)
            if kind == 0:
                tp = day.find(NS + 'TimePeriod')
                if tp is not None:
                    self.exceptions.append((when(child(tp, 'FromDate')).date(),
                                            when(child(tp, 'ToDate')).date(), periods(day)))
            elif child(day, 'DayWorking') is not None:
                self.weekdays[kind] = periods(day)
        exceptions = node.find(NS + 'Exceptions')
        for ex in (exceptions if exceptions is not None else []):
            tp = ex.find(NS + 'TimePeriod')
            if tp is not None:
                self.exceptions.append((when(child(tp, 'FromDate')).date(),
                                        when(child(tp, 'ToDate')).date(), periods(ex)))
        weeks = node.find(NS + 'WorkWeeks')
        for week in (weeks if weeks is not None else []):
            tp = week.find(NS + 'TimePeriod')
            days = {}
            for day in week.iter(NS + 'WeekDay'):
                if child(day, 'DayWorking') is not None:
                    days[int(child(day, 'DayType'))] = periods(day)
            if tp is not None:
                self.workweeks.append((when(child(tp, 'FromDate')).date(),
                                       when(child(tp, 'ToDate')).date(), days))


class Calendars:
    def __init__(self, root):
        self.by_uid = {}
        node = root.find(NS + 'Calendars')
        for cal in (node if node is not None else []):
            c = Calendar(cal)
            self.by_uid[c.uid] = c
        self.cache = {}

    def day(self, uid, date):
        key = (uid, date)
        if key not in self.cache:
            self.cache[key] = self._day(uid, date, 0)
        return self.cache[key]

    def _day(self, uid, date, depth):
        cal = self.by_uid.get(uid)
        kind = (date.weekday() + 1) % 7 + 1  # 1 Sunday … 7 Saturday
        if cal is None or depth > 10:
            return STANDARD_DAY if 2 <= kind <= 6 else []
        for first, last, spans in cal.exceptions:
            if first <= date <= last:
                return spans
        for first, last, days in cal.workweeks:
            if first <= date <= last and kind in days:
                return days[kind]
        if kind in cal.weekdays:
            return cal.weekdays[kind]
        return self._day(cal.base, date, depth + 1)

    def working_minutes(self, uid, start, finish):
        """Working minutes from start to finish (negative when finish is earlier)."""
        if finish < start:
            return -self.working_minutes(uid, finish, start)
        total, date = 0, start.date()
        while date <= finish.date():
            day_start = dt.datetime.combine(date, dt.time())
            lo = (start - day_start).total_seconds() / 60 if date == start.date() else 0
            hi = (finish - day_start).total_seconds() / 60 if date == finish.date() else 24 * 60
            for a, b in self.day(uid, date):
                total += max(0, min(b, hi) - max(a, lo))
            date += dt.timedelta(days=1)
        return total


def duration_days(text, day):
    match = re.fullmatch(r'-?P(?:(\d+)D)?T?(?:([\d.]+)H)?(?:([\d.]+)M)?(?:([\d.]+)S)?', text)
    if not match:
        return 0
    d, h, m, sec = (float(g or 0) for g in match.groups())
    return d * 24 * 60 / day + (h * 60 + m + sec / 60) / day


def why_left_out(task):
    if task['uid'] == '0' or flag(task['node'], 'Summary'):
        return 'summary'
    if flag(task['node'], 'IsNull') or child(task['node'], 'Active') in ('0', 'false'):
        return 'null or inactive'
    if flag(task['node'], 'ExternalTask'):
        return 'external'
    if flag(task['node'], 'Manual'):
        return 'manually scheduled'
    # "Start/finish no earlier than" only holds a task back where it binds:
    # such tasks are compared, and a difference names the constraint.
    if (child(task['node'], 'ConstraintType') or '0') not in ('0', '4', '6'):
        return 'constraint'
    if child(task['node'], 'ActualStart') or float(child(task['node'], 'PercentComplete') or 0):
        return 'actuals/progress'
    if child(task['node'], 'Start') is None:
        return 'no Start'
    if (child(task['node'], 'CalendarUID') or '-1') != '-1':
        return 'task calendar'
    return None


def notes_on(task, tasks, assigned):
    """What about a differing task can explain it."""
    notes = set()
    node = task['node']
    if int(child(node, 'DurationFormat') or 7) in ELAPSED:
        notes.add('elapsed duration')
    if float(child(node, 'LevelingDelay') or 0):
        notes.add('levelling delay')
    if task['uid'] in assigned:
        notes.add('resources (their calendars)')
    if (child(node, 'ConstraintType') or '0') != '0':
        notes.add('its "no earlier than" constraint binds')
    resume = child(node, 'Resume')
    if resume and child(node, 'Stop') and resume != child(node, 'Start'):
        notes.add('split in MS Project (Stop/Resume)')
    for link in node.findall(NS + 'PredecessorLink'):
        before = tasks.get(child(link, 'PredecessorUID'))
        if int(child(link, 'LagFormat') or 7) in ELAPSED and float(child(link, 'LinkLag') or 0):
            notes.add('elapsed lag')
        if before is None:
            notes.add('unknown predecessor')
        elif why_left_out(before):
            notes.add('after a task left out (%s)' % why_left_out(before))
    if task.get('span') is not None and task['span'] > task['days'] + TOLERANCE:
        notes.add('interrupted in MS Project (Finish later than Start + Duration)')
    if task.get('before_start'):
        notes.add("starts before the project's StartDate")
    if task['parents_left_out']:
        notes.add('inside a summary task that is %s' % task['parents_left_out'])
    return sorted(notes) or ['unexplained']


def read_file(path):
    root = ET.parse(path).getroot()
    if root.tag != NS + 'Project':
        return None
    tasks, order, stack = {}, [], []
    for node in root.iter(NS + 'Task'):
        uid = child(node, 'UID')
        level = int(child(node, 'OutlineLevel') or 1) if uid != '0' else 0
        while stack and stack[-1]['level'] >= level:
            stack.pop()
        task = {'uid': uid, 'name': child(node, 'Name') or '', 'node': node, 'level': level,
                'parents_left_out': None}
        for parent in stack:
            reason = why_left_out(parent)
            if parent['uid'] != '0' and reason not in (None, 'summary'):
                task['parents_left_out'] = reason
            if parent['uid'] != '0' and parent['node'].find(NS + 'PredecessorLink') is not None:
                task['parents_left_out'] = task['parents_left_out'] or 'linked'
        tasks[uid] = task
        order.append(task)
        if flag(node, 'Summary') or uid == '0':
            stack.append(task)
    assigned = set()
    for a in root.iter(NS + 'Assignment'):
        if (child(a, 'ResourceUID') or '-65535') not in ('-65535', '-1'):
            assigned.add(child(a, 'TaskUID'))
    return root, tasks, order, assigned


def korvant_schedule(korvant, path, scratch):
    out = os.path.join(scratch, 'plan.kcrct')
    env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
    conv = subprocess.run([korvant, '--convert', path, out], capture_output=True, text=True,
                          env=env)
    if conv.returncode != 0:
        return None, conv.stderr.strip().splitlines()[-1:] or ['exit %d' % conv.returncode]
    rep = subprocess.run([korvant, '--report', out, '--no-layout'], capture_output=True, text=True,
                         env=env)
    if rep.returncode not in (0, 1):
        return None, ['--report exit %d' % rep.returncode]
    # A work renamed for a repeated name is told with the task's UID.
    renamed = dict(re.findall(r'\(UID (-?\d+)\): имя уже занято, работа названа «(.*)»$',
                              conv.stderr, re.M))
    return (json.loads(rep.stdout), renamed), []


def early_times_of(task, works, renamed):
    """The early start of a task's work (its first part) and the early finish
    (of its last part), or None when no work stands for it."""
    name = renamed.get(task['uid'], task['name'])
    if name in works:
        return works[name]
    part = re.compile(re.escape(name) + r' \((\d+)/(\d+)\)$')
    start = finish = None
    for work, times in works.items():
        match = part.match(work)
        if match and match.group(1) == '1':
            start = times[0]
        if match and match.group(1) == match.group(2):
            finish = times[1]
    return None if start is None else (start, finish)


def check(korvant, path, scratch):
    parsed = read_file(path)
    if parsed is None:
        return None
    root, tasks, order, assigned = parsed
    if not any(child(t['node'], 'Start') and not why_left_out(t) for t in order):
        return None
    result, failure = korvant_schedule(korvant, path, scratch)
    row = {'file': os.path.basename(path), 'version': child(root, 'SaveVersion') or '-',
           'tasks': len(order), 'compared': 0, 'equal': 0, 'differ': [], 'finish_differs': [],
           'left_out': {}}
    links = [child(l, 'Type') or '1' for l in root.iter(NS + 'PredecessorLink')]
    lags = [l for l in root.iter(NS + 'PredecessorLink') if float(child(l, 'LinkLag') or 0)]
    row['links'] = '%d (SS/FF/SF %d, lags %d)' % (len(links), sum(t != '1' for t in links),
                                                  len(lags))
    if result is None:
        row['refused'] = failure[0] if failure else ''
        return row
    report, renamed = result
    works = {w['name']: (w['early_start'], w['early_finish']) for w in report['works']}
    start = when(child(root, 'StartDate'))
    cal = child(root, 'CalendarUID') or '1'
    calendars = Calendars(root)
    day = float(child(root, 'MinutesPerDay') or 480)
    finish = None
    for task in order:
        reason = why_left_out(task)
        if reason == 'summary':
            continue
        if reason is not None:
            row['left_out'][reason] = row['left_out'].get(reason, 0) + 1
            continue
        node = task['node']
        ms = calendars.working_minutes(cal, start, when(child(node, 'Start'))) / day
        end = None
        if child(node, 'Finish'):
            end = calendars.working_minutes(cal, start, when(child(node, 'Finish'))) / day
            finish = end if finish is None else max(finish, end)
        task['before_start'] = ms < -TOLERANCE
        if end is not None and child(node, 'Duration'):
            task['span'] = end - ms
            task['days'] = duration_days(child(node, 'Duration'), day)
        times = early_times_of(task, works, renamed)
        ours = None if times is None else times[0]
        # A milestone of zero length is no work: nothing to compare.
        if ours is None and flag(node, 'Milestone'):
            row['left_out']['milestone'] = row['left_out'].get('milestone', 0) + 1
            continue
        row['compared'] += 1
        if ours is not None and abs(ours - ms) <= TOLERANCE:
            row['equal'] += 1
        else:
            row['differ'].append((task['uid'], task['name'], ms, ours,
                                  notes_on(task, tasks, assigned)))
        if times is not None and end is not None and times[1] is not None and \
                abs(times[1] - end) > TOLERANCE:
            row['finish_differs'].append((task['uid'], task['name'], end, times[1],
                                          notes_on(task, tasks, assigned)))
    ours_finish = max((w['early_finish'] for w in report['works']
                       if w['early_finish'] is not None), default=0)
    row['duration'] = (finish, ours_finish)
    return row


def main(argv):
    verbose = '--verbose' in argv
    args = [a for a in argv[1:] if a != '--verbose']
    if len(args) < 2:
        sys.exit(__doc__)
    korvant, places = args[0], args[1:]
    files = []
    for place in places:
        if os.path.isdir(place):
            for top, _, names in os.walk(place):
                files += [os.path.join(top, n) for n in names if n.lower().endswith('.xml')]
        else:
            files.append(place)
    totals = [0, 0, 0, 0, 0]
    faults = 0
    with tempfile.TemporaryDirectory() as scratch:
        for path in sorted(files):
            try:
                row = check(korvant, path, scratch)
            except (ET.ParseError, ValueError, TypeError) as err:
                print('%s: not read (%s)' % (os.path.basename(path), err))
                continue
            if row is None:
                continue
            totals[0] += 1
            if 'refused' in row:
                print('%s: v%s, %d tasks, links %s: refused: %s' % (
                    row['file'], row['version'], row['tasks'], row['links'], row['refused']))
                faults += 1
                continue
            faults += sum(notes == ['unexplained'] for *_, notes in row['differ'])
            ms, ours = row['duration']
            same = ms is not None and abs(ms - ours) <= TOLERANCE
            # The duration is comparable where every task was.
            whole = not (set(row['left_out']) - {'milestone'})
            totals[1] += row['compared']
            totals[2] += row['equal']
            totals[3] += whole
            totals[4] += whole and same
            left = ', '.join('%s %d' % kv for kv in sorted(row['left_out'].items()))
            print('%s: v%s, %d tasks, links %s: compared %d, equal %d, differ %d%s; '
                  'duration MS %s, KORVANT %g%s' % (
                      row['file'], row['version'], row['tasks'], row['links'], row['compared'],
                      row['equal'], len(row['differ']), '; left out: ' + left if left else '',
                      'none' if ms is None else '%g' % round(ms, 4), ours,
                      '' if same else ' (differs)' if whole else ' (not comparable)'))
            shown = None if verbose else 5
            for what, rows in (('start', row['differ']), ('finish', row['finish_differs'])):
                for uid, name, ms_time, our_time, notes in rows[:shown]:
                    print('    %s of UID %s %r: MS %g, KORVANT %s — %s' % (
                        what, uid, name, round(ms_time, 4), our_time, '; '.join(notes)))
    print('files %d, tasks compared %d, equal %d; files with every task compared %d, '
          'of them with the same duration %d' % tuple(totals))
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
