#!/usr/bin/env python3
"""Writes the fuzz target's seed corpus: one input for each situation the
fuzzer should start from. See game_fuzz.cpp for the layout of an input.

Run from anywhere: python3 fuzz/make_corpus.py
"""
import pathlib

UP, DOWN, RIGHT, LEFT = b"\x1b[A", b"\x1b[B", b"\x1b[C", b"\x1b[D"
ESC = b"\x1b"
SILENCE = b""

# Villagers at (20, 12), (30, 20), (70, 22) and (5, 23): off the paths below.
VILLAGERS = [20, 12, 30, 20, 70, 22, 5, 23]
ENCOUNTER = 10  # the field roll that starts a battle


def game(draws, reads):
    """The input: the draws, then each read of the terminal as a record."""
    assert len(draws) < 256
    data = bytes([len(draws)]) + bytes(draws)
    for chunk in reads:
        while True:  # a read longer than a record goes as several reads
            data += bytes([min(len(chunk), 255)]) + chunk[:255]
            chunk = chunk[255:]
            if not chunk:
                break
    return data


def to_the_field():
    """The name, then seven steps right: the last crosses the village's exit."""
    return [b"Ann\n"] + [RIGHT] * 7


def walk():
    reads = to_the_field() + [LEFT, UP, DOWN, b"MPKH", b"\r", b"k", ESC, SILENCE]
    return game(VILLAGERS + [0, 0], reads)


def talk():
    # Villager 1 two cells right of the party: a step, then three talks to it.
    draws = [20, 12, 5, 10, 70, 22, 5, 23]
    reads = [b"Ann\n", RIGHT]
    for _ in range(3):
        reads += [b" ", b"a", b"b"]
    return game(draws, reads + [b"q"])


def battle_won(battles):
    """Battles against the wounded soldier, each won by the archer's blow in
    the second cycle; the opponent's one strike falls on the knight, who takes
    no damage. The seventh win levels the archer up."""
    draws = list(VILLAGERS)
    reads = to_the_field()
    for n in range(1, battles + 1):
        draws += [ENCOUNTER, 0, 2]  # the roll, the opponent, the strike's target
        reads += [b"x"]  # the key of the pass whose roll starts the battle
        reads += [b"a", b"k"] * 4 + [b"k"]  # first cycle, then the strike's wait
        reads += [b"a", b"k", b"a"]  # the archer's blow kills
        if n == 7:
            reads += [b"k", b"k"]  # the archer's level-up screens
        reads += [b"k", b"k"]  # the battle's closing waits
    return game(draws + [0], reads + [b"q"])


def battle_magic():
    """Three wins: the mage's Flame kills in the first two and leaves no MP for
    the third, which the archer's blow ends."""
    draws = list(VILLAGERS)
    reads = to_the_field()
    for _ in range(2):
        draws += [ENCOUNTER, 0]
        reads += [b"x"] + [b"a", b"k"] * 3 + [b"m", b"f", b"k", b"k"]
    draws += [ENCOUNTER, 0, 2]
    reads += [b"x"] + [b"a", b"k"] * 3 + [b"m", b"f", b"k"]  # not enough MP
    reads += [b"a", b"k", b"a", b"k", b"k"]
    return game(draws + [0], reads + [b"q"])


def battle_lost():
    """Every member runs and fails against the soldier until all four are dead."""
    draws = VILLAGERS + [ENCOUNTER, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0]
    keys = [b"x", b"r", b"w", b"r", b"w", b"r", b"w", b"r", b"w", b"e",
            b"r", b"w", b"r", b"w", b"r", b"w", b"d", b"e", b"c", b"k"]
    return game(draws, to_the_field() + keys)


def flight():
    draws = VILLAGERS + [ENCOUNTER, 0, 3, 0]  # the third draw lets the hero flee
    return game(draws, to_the_field() + [b"x", b"r", b"y", b"z", b"q"])


def odd_keys():
    """A name with control bytes, then keys split, cut and unknown."""
    reads = [b"\x1b[2J\x07\x01\x7fNa\xc3\xabme rest\n", b"\x1b[", b"C",
             b"\x1b[1;5D\x1b[200~\x1b[99;99;99Z\x1bOP\x1b[24~\x1b\x1b[B",
             b"\x1b[" + b"1" * 100 + b"A", b"\r", ESC, SILENCE, b"\x1b["]
    return game(VILLAGERS, reads)


SEEDS = {
    "walk": walk(),
    "talk": talk(),
    "battle_won": battle_won(7),
    "battle_magic": battle_magic(),
    "battle_lost": battle_lost(),
    "flight": flight(),
    "odd_keys": odd_keys(),
}

if __name__ == "__main__":
    out = pathlib.Path(__file__).resolve().parent / "corpus"
    out.mkdir(exist_ok=True)
    for name, data in SEEDS.items():
        (out / name).write_bytes(data)
