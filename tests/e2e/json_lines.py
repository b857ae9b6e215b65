"""What the end-to-end tests share: reading the JSON lines that the stand-in and the test servers
print, and a bounded wait."""
import json
import select
import time


def read_json_line(process, kind, seconds):
    """The first line of the process's output that is a JSON object of that kind."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        ready, _, _ = select.select([process.stdout], [], [], max(0.0, end - time.monotonic()))
        if not ready:
            break
        line = process.stdout.readline()
        if not line:
            break
        try:
            event = json.loads(line)
        except ValueError:
            continue
        if event.get("kind") == kind:
            return event
    raise AssertionError("no %s line within %d s" % (kind, seconds))


def wait_until(condition, seconds, what, poll_s=0.05):
    """The condition's first true value, polled until the bound."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(poll_s)
    raise AssertionError("gave up waiting for " + what)
