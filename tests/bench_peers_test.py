#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The peers bench's reading of the null sink's recording: where the first
sound is and how long the silences between sounds are, on recordings made
up here (no PulseAudio needed)."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bench", "peers"))
import run  # noqa: E402

RATE = run.Monitor.RATE


def frames(count, loud):
    """count stereo frames, all at 1000 or all at 0."""
    value = (1000 if loud else 0).to_bytes(2, "little", signed=True)
    return (value * 2) * count


def monitor(parts, begun=100.0, piece=441):
    """A Monitor that recorded `parts` ((ms, loud) in order) from `begun`,
    each piece of `piece` frames arriving when its last frame sounded."""
    m = run.Monitor.__new__(run.Monitor)
    data = b"".join(frames(int(ms * RATE / 1000), loud) for ms, loud in parts)
    m.pieces, step, done = [], piece * run.Monitor.FRAME, 0
    for i in range(0, len(data), step):
        chunk = data[i:i + step]
        done += len(chunk) // run.Monitor.FRAME
        m.pieces.append((begun + done / RATE, chunk))
    return m


class MonitorTest(unittest.TestCase):
    def test_first_sound_counts_from_the_given_time(self):
        cases = [  # (parts, since, expected ms)
            ([(300, False), (200, True)], 100.0, 300),
            ([(300, False), (200, True)], 100.1, 200),
            ([(0, False), (500, True)], 100.0, 0),
        ]
        for parts, since, expected in cases:
            with self.subTest(parts=parts, since=since):
                self.assertAlmostEqual(monitor(parts).first_sound(since), expected, delta=1)

    def test_no_sound_is_none(self):
        m = monitor([(500, False)])
        self.assertIsNone(m.first_sound(100.0))
        self.assertIsNone(m.longest_gap(100.0))

    def test_a_late_piece_does_not_move_the_samples(self):
        # One piece arrives 0.3 s late (a busy reader): the samples keep the
        # times the earliest pieces give them.
        m = monitor([(200, False), (300, True)])
        arrived, chunk = m.pieces[-1]
        m.pieces[-1] = (arrived + 0.3, chunk)
        self.assertAlmostEqual(m.first_sound(100.0), 200, delta=1)

    def test_longest_gap_lies_between_sounds_and_inside_the_window(self):
        parts = [(100, False), (400, True), (30, False), (400, True), (80, False), (300, True),
                 (500, False)]
        m = monitor(parts)
        cases = [  # (since, until, expected ms)
            (100.0, None, 80),       # the leading and the trailing silence do not count
            (100.0, 100.9, 30),      # the 80 ms come after the window
            (100.9, None, 80),       # from inside the second sound
            (100.95, None, None),    # from inside the 80 ms: leading, so not counted
            (101.05, None, None),    # within one sound: nothing between two
        ]
        for since, until, expected in cases:
            with self.subTest(since=since, until=until):
                gap = m.longest_gap(since, until)
                if expected is None:
                    self.assertEqual(gap, 0)
                else:
                    self.assertAlmostEqual(gap, expected, delta=1)

    def test_waiting_for_the_sink_ends_with_the_first_piece_or_the_limit(self):
        m = monitor([(50, False)])
        self.assertTrue(m.wait_running(limit=0.05))
        m.pieces = []
        self.assertFalse(m.wait_running(limit=0.05))


if __name__ == "__main__":
    unittest.main()
