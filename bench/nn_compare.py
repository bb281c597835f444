#!/usr/bin/python3
"""Compares the creation window's three trainings on small problems.

Makes six data sets (Iris, a Black-Scholes call/strike surface, sin x over
one period, sin x on [-3, 3] with eight hidden nodes, a bump, XOR), writes
each as a training file, trains every algorithm through the program's own
Train command and predicts the held-out points through its own Predict
command (bench/driver/tvx_nn.cpp, each run a fresh process), and compares
with a multilayer perceptron of the same hidden nodes from scikit-learn
(tanh, with biases, fitted by its L-BFGS solver) and with ordinary least
squares with an intercept (numpy). With --before-driver, the Gradient
training of another build (an earlier version, say) runs beside this one's.
Prints a Markdown table.

Every data set carries a constant input column (1 in a range of 2 over 0,
scaled to 0.5): the network has no bias terms, and this column stands in
for them, for every algorithm alike.

Usage: bench/nn_compare.py [--driver build/release/bench/tvx_nn] [--before-driver PATH] [--quick]
"""
import argparse
import math
import os
import resource
import subprocess
import sys
import tempfile
import time

import numpy as np

SEED = 20261207


def norm_cdf(x):
    return 0.5 * (1.0 + math.erf(x / math.sqrt(2.0)))


def call_over_strike(m, t, sigma, r=0.05):
    """Black-Scholes call value over the strike, for spot/strike m."""
    d1 = (math.log(m) + (r + 0.5 * sigma * sigma) * t) / (sigma * math.sqrt(t))
    d2 = d1 - sigma * math.sqrt(t)
    return m * norm_cdf(d1) - math.exp(-r * t) * norm_cdf(d2)


def iris():
    from sklearn.datasets import load_iris
    data = load_iris()
    x = data.data.astype(float)
    y = np.eye(3)[data.target]
    return "Iris, one-hot outputs, held-out accuracy", x, y, "class", 3


def black_scholes():
    grid = [(m, t, s) for m in np.linspace(0.8, 1.2, 9) for t in np.linspace(0.1, 1.0, 6)
            for s in np.linspace(0.1, 0.5, 6)]
    x = np.array(grid)
    y = np.array([[call_over_strike(*g)] for g in grid])
    return "Black-Scholes call/strike on (S/K, T, sigma), held-out RMSE", x, y, "rmse", 3


def sine():
    x = np.linspace(0.0, 2.0 * math.pi, 100).reshape(-1, 1)
    return "sin x on one period, held-out RMSE", x, np.sin(x), "rmse", 3


def sine_eight():
    x = np.linspace(-3.0, 3.0, 100).reshape(-1, 1)
    return "sin x on [-3, 3], 8 hidden nodes, held-out RMSE", x, np.sin(x), "rmse", 8


def bump():
    x = np.linspace(-3.0, 3.0, 40).reshape(-1, 1)
    return "bump exp(-x^2) on [-3, 3], 40 points, 5 hidden nodes, held-out RMSE", x, np.exp(-x * x), "rmse", 5


def xor():
    x = np.array([[0.0, 0.0], [0.0, 1.0], [1.0, 0.0], [1.0, 1.0]])
    y = np.array([[0.0], [1.0], [1.0], [0.0]])
    return "XOR, accuracy on its four points", x, y, "xor", 3


def split(n, rng):
    """Indices of the training four fifths and the held-out fifth."""
    order = rng.permutation(n)
    held = n // 5
    return order[held:], order[:held]


def ranges(v):
    """Range lines a tenth of the span wider than the data on each side."""
    lo, hi = v.min(axis=0), v.max(axis=0)
    pad = np.where(hi > lo, 0.1 * (hi - lo), 0.5)
    return hi + pad, lo - pad


def with_constant(x):
    return np.hstack([x, np.ones((len(x), 1))])


def write_training_file(path, x, y, xr, yr):
    with open(path, "w", newline="") as f:
        for hi, lo in zip(*xr):
            f.write(f"{hi!r},{lo!r}\r\n")
        for hi, lo in zip(*yr):
            f.write(f"{hi!r},{lo!r}\r\n")
        for a, b in zip(x, y):
            f.write(",".join(repr(float(v)) for v in list(a) + list(b)) + "\r\n")


def train(driver, folder, nin, nhidden, nout, nexem, algorithm, iterations, population):
    net = os.path.join(folder, f"{algorithm}.net")
    start = time.monotonic()
    cpu = resource.getrusage(resource.RUSAGE_CHILDREN)
    run = subprocess.run([driver, "train", str(nin), str(nhidden), str(nout), str(nexem),
                          os.path.join(folder, "train.dat"), net, str(iterations), str(population), algorithm],
                         capture_output=True, text=True)
    seconds = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu_seconds = after.ru_utime + after.ru_stime - cpu.ru_utime - cpu.ru_stime
    if run.returncode != 0:
        sys.exit(f"training failed: {run.stdout} {run.stderr}")
    return net, seconds, cpu_seconds


def predict(driver, net, x):
    rows = "\n".join(",".join(repr(float(v)) for v in row) for row in x) + "\n"
    run = subprocess.run([driver, "predict", net], input=rows, capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"prediction failed: {run.stdout} {run.stderr}")
    return np.array([[float(v) for v in line.split(",")] for line in run.stdout.split()])


def score(kind, prediction, y):
    if kind == "class":
        return 100.0 * np.mean(prediction.argmax(axis=1) == y.argmax(axis=1))
    if kind == "xor":
        return 100.0 * np.mean((prediction[:, 0] > 0.5) == (y[:, 0] > 0.5))
    return float(np.sqrt(np.mean((prediction - y) ** 2)))


def least_squares(x_train, y_train, x_test):
    a = np.hstack([x_train, np.ones((len(x_train), 1))])
    coef, *_ = np.linalg.lstsq(a, y_train, rcond=None)
    return np.hstack([x_test, np.ones((len(x_test), 1))]) @ coef


def perceptron(kind, nhidden, x_train, y_train, x_test):
    """scikit-learn's multilayer perceptron: its prediction and processor time."""
    from sklearn.neural_network import MLPClassifier, MLPRegressor
    start = time.process_time()
    if kind in ("class", "xor"):
        model = MLPClassifier(hidden_layer_sizes=(nhidden,), activation="tanh", solver="lbfgs", max_iter=5000,
                              random_state=0)
        model.fit(x_train, y_train.argmax(axis=1) if kind == "class" else y_train[:, 0])
        p = model.predict_proba(x_test)
        prediction = p if kind == "class" else p[:, 1:]
    else:
        model = MLPRegressor(hidden_layer_sizes=(nhidden,), activation="tanh", solver="lbfgs", max_iter=5000,
                             random_state=0)
        model.fit(x_train, y_train[:, 0] if y_train.shape[1] == 1 else y_train)
        prediction = model.predict(x_test).reshape(len(x_test), -1)
    return prediction, time.process_time() - start


def text(kind, value):
    return f"{value:.1f} %" if kind in ("class", "xor") else (f"{value:.4f}" if value >= 0.001 else f"{value:.1e}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--driver", default="build/release/bench/tvx_nn")
    parser.add_argument("--before-driver", help="another build's driver, whose Gradient runs beside")
    parser.add_argument("--quick", action="store_true", help="skip the long Genetic run")
    parser.add_argument("--gradient-iterations", type=int, default=1000)
    parser.add_argument("--gradient-population", type=int, default=50)
    args = parser.parse_args()
    driver = os.path.realpath(args.driver)
    # (driver, algorithm, iterations, population): the window's defaults, a
    # long Genetic run, and Gradient with the population as restarts.
    gi, gp = args.gradient_iterations, args.gradient_population
    runs = [(driver, "genetic", 100, 50, "genetic"), (driver, "agoric", 100, 50, "agoric")]
    if not args.quick:
        runs.insert(1, (driver, "genetic", 1000, 200, "genetic"))
    if args.before_driver:
        runs.append((os.path.realpath(args.before_driver), "gradient", gi, gp, "gradient before"))
    runs.append((driver, "gradient", gi, gp, "gradient"))
    header = (["problem"] + [f"{name} {g} x {p}" for _, _, g, p, name in runs] +
              ["scikit-learn MLP", "least squares"])
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    rng = np.random.default_rng(SEED)
    for make in (iris, black_scholes, sine, sine_eight, bump, xor):
        title, x, y, kind, nhidden = make()
        if kind == "xor":
            fit, held = np.arange(4), np.arange(4)
        else:
            fit, held = split(len(x), rng)
        xc = with_constant(x)
        xr, yr = ranges(xc), ranges(y)
        cells = [title]
        with tempfile.TemporaryDirectory() as folder:
            write_training_file(os.path.join(folder, "train.dat"), xc[fit], y[fit], xr, yr)
            for run_driver, algorithm, iterations, population, _ in runs:
                net, seconds, cpu_seconds = train(run_driver, folder, xc.shape[1], nhidden, y.shape[1], len(fit),
                                                  algorithm, iterations, population)
                value = score(kind, predict(run_driver, net, xc[held]), y[held])
                cells.append(f"{text(kind, value)} ({seconds:.1f} s, {cpu_seconds:.1f} s CPU)")
        prediction, cpu_seconds = perceptron(kind, nhidden, x[fit], y[fit], x[held])
        cells.append(f"{text(kind, score(kind, prediction, y[held]))} ({cpu_seconds:.2f} s CPU)")
        cells.append(text(kind, score(kind, least_squares(x[fit], y[fit], x[held]), y[held])))
        print("| " + " | ".join(cells) + " |", flush=True)
    print(f"\nHidden nodes as named (3 elsewhere); data split with numpy seed {SEED}; times: wall clock, then the"
          " processor time of both cores together.")


if __name__ == "__main__":
    main()
