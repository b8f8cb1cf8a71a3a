#!/usr/bin/python3
"""Checks Lexaro's window as a screen reader sees it: through AT-SPI on the accessibility bus,
never through Qt's own API. Names, caption relations, and the display band's word while reading,
with the buttons pressed through AT-SPI actions. Exits non-zero on any failed check."""

import sys
import time

import pyatspi

FAILED = []


def check(what, ok):
    print(f"   {'ok' if ok else 'FAILED'}: {what}")
    if not ok:
        FAILED.append(what)


def wait_for(seconds, probe):
    deadline = time.monotonic() + seconds
    while True:
        value = probe()
        if value or time.monotonic() > deadline:
            return value
        time.sleep(0.1)


def find_app():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "Lexaro":
            return app
    return None


def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def targets(node, relation):
    return [r.getTarget(i) for r in node.getRelationSet() if r.getRelationType() == relation
            for i in range(r.getNTargets())]


def name_of(node):
    node.clear_cache()  # the band's name changes with every word
    return node.name


app = wait_for(15, find_app)
check("the program is on the accessibility bus", app is not None)
if app is None:
    sys.exit(1)
nodes = list(descendants(app))
by_role = lambda role: [n for n in nodes if n.getRoleName() == role]

check("the window is named by its title",
      any(n.name == "Lexaro v1.1 Build 319" for n in by_role("frame")))
buttons = {n.name: n for n in by_role("push button")}
for name in ["Start", "Pause", "Stop", "Full screen mode", "About Lexaro", "Load Text from File",
             "Exit"]:
    check(f"button '{name}' is named without its access-key marker", name in buttons)
check("the pace bar is named", any(n.name == "Words per minute" for n in by_role("scroll bar")))

# Each caption is the label of its control, both ways, so a list is announced by its caption and
# not only by its value ("White").
CAPTIONS = {"Current text:": "text", "Font size:": "scroll bar", "Text color:": "combo box",
            "Background color:": "combo box", "Font style:": "combo box",
            "Words Per Minute:": "scroll bar"}
labels = {n.name: n for n in by_role("label")}
for caption, role in CAPTIONS.items():
    label = labels.get(caption)
    controls = targets(label, pyatspi.RELATION_LABEL_FOR) if label is not None else []
    check(f"'{caption}' labels a {role}",
          len(controls) == 1 and controls[0].getRoleName() == role)
    check(f"that {role} is labelled by '{caption}'",
          len(controls) == 1 and
          [t.name for t in targets(controls[0], pyatspi.RELATION_LABELLED_BY)] == [caption])
colour = [n for n in by_role("combo box")
          if [t.name for t in targets(n, pyatspi.RELATION_LABELLED_BY)] == ["Text color:"]]
check("the text colour list's value is 'White'", len(colour) == 1 and colour[0].name == "White")

band = [n for n in by_role("label") if n.description == "The word being read"]
check("the display band is described as the word being read", len(band) == 1)
if band and "Start" in buttons and "Stop" in buttons:
    band = band[0]
    check("the band is empty before reading", name_of(band) == "")
    buttons["Start"].queryAction().doAction(0)
    words = []

    def two_words():
        word = name_of(band)
        if word and (not words or words[-1] != word):
            words.append(word)
        return len(words) >= 3

    check("the band reports each word while reading", wait_for(10, two_words))
    print(f"      words heard: {words}")
    buttons["Stop"].queryAction().doAction(0)
    check("Stop empties the band", wait_for(5, lambda: name_of(band) == ""))
if "Exit" in buttons:
    buttons["Exit"].queryAction().doAction(0)

print(f"\n{len(FAILED)} failed")
sys.exit(1 if FAILED else 0)
