#!/usr/bin/env python3
"""Writes the bundled examples: each folder holds wavetrak.in, b.in and a.in.

The signals are generated with a fixed pseudo-random noise, so running this again gives the
same files byte for byte.
"""
import math
import os
import random


def write_pairs(path, times, values):
    with open(path, "w") as f:
        for t, v in zip(times, values):
            f.write("%.6f %.6f\n" % (t, v))


def example(name, parameters, signal, rate, n, reference_rate, reference_n, reference_offset,
            noise=0.0, seed=1):
    os.makedirs(name, exist_ok=True)
    rng = random.Random(seed)
    times = [i / rate for i in range(n)]
    values = [signal(t) + rng.gauss(0.0, noise) if noise else signal(t) for t in times]
    write_pairs(os.path.join(name, "b.in"), times, values)
    ref_times = [reference_offset + i / reference_rate for i in range(reference_n)]
    write_pairs(os.path.join(name, "a.in"), ref_times, [signal(t) for t in ref_times])
    with open(os.path.join(name, "wavetrak.in"), "w") as f:
        f.write(parameters)


def sine(amp, hz, phase):
    return lambda t: amp * math.sin(2 * math.pi * hz * t - phase)


def total(*parts):
    return lambda t: sum(p(t) for p in parts)


# Three well separated tones with noise; the reference is the clean signal on its own grid.
example("three_tones", "2000\n3\n12 3\n50 5\n120 10\n",
        total(sine(2.0, 12, 0.5), sine(1.0, 50, 1.5), sine(0.5, 120, 2.5)),
        1000, 2000, 800, 1200, 0.0005, noise=0.1)

# A beat: two close tones, fitted one after the other within the same band.
example("beat", "300\n2\n20 1.5\n20 1.5\n",
        total(sine(1.0, 19.5, 0.0), sine(0.8, 20.5, 1.0)),
        500, 2500, 500, 2500, 0.0)

# Where the method struggles: a decaying tone (one constant amplitude cannot follow it) and a
# band that holds no signal at all (the search can only keep a small or zero component).
example("struggle", "300\n2\n8 2\n60 10\n",
        lambda t: 3.0 * math.exp(-1.5 * t) * math.sin(2 * math.pi * 8 * t - 0.3),
        400, 1200, 400, 1200, 0.0, noise=0.05, seed=7)
