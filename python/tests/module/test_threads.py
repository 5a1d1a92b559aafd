"""Stepping without the GIL: other Python threads run meanwhile, and two models in two threads at once each give
exactly the program's result files and console."""
import os
import threading
import time

import numpy as np
import pytest

from conftest import case_path, copy_case, differences_from_expected, run_like_the_program

# The cases with a pumping well.
WELL_CASES = ["aquifer_with_well", "long_coupled_with_well", "drained_beach"]


def test_a_second_thread_progresses_while_the_model_steps(tidmor):
    simulation = tidmor.Simulation(case_path("coupled_beach"), write_results=False, threads=1)
    simulation.initialize()
    ticks, stop = [], threading.Event()

    def count():
        while not stop.is_set():
            ticks.append(time.monotonic())

    counter = threading.Thread(target=count)
    counter.start()
    try:
        started = time.monotonic()
        # The whole run (about 0.75 s on a two-core machine of 2026): long enough to tell.
        simulation.update_until(simulation.end_time)
        ended = time.monotonic()
    finally:
        stop.set()
        counter.join()
    assert ended - started > 0.2, "the steps were too quick to tell"
    # Held through the call, the GIL would let the counter run only before and after it.
    inside = sum(1 for t in ticks if started + 0.05 < t < ended - 0.05)
    assert inside > 1000


@pytest.mark.parametrize("name", WELL_CASES)
def test_two_models_in_two_threads_at_once_give_the_programs_results(tidmor, tmp_path, name):
    folders = [copy_case(name, tmp_path / label) for label in ("a", "b")]
    outcomes = {}

    def run(folder):
        # Each model with two worker threads of its own for the aquifer step.
        outcomes[folder] = run_like_the_program(tidmor, folder, threads=2)

    threads = [threading.Thread(target=run, args=(folder,)) for folder in folders]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for folder in folders:
        assert differences_from_expected(name, folder, *outcomes[folder]) == []


def test_one_model_stepped_from_two_threads_takes_one_call_at_a_time(tidmor, tmp_path):
    shared = tidmor.Simulation(case_path("coupled_beach"), write_results=False, threads=1)
    alone = tidmor.Simulation(case_path("coupled_beach"), write_results=False, threads=1)
    for simulation in (shared, alone):
        simulation.initialize()
    threads = [threading.Thread(target=lambda: [shared.update() for _ in range(150)]) for _ in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for _ in range(300):
        alone.update()
    assert shared.steps == alone.steps == 300
    assert shared.time == alone.time
    np.testing.assert_array_equal(shared.head, alone.head)
    assert shared.console == alone.console


def test_ctrl_c_stops_a_long_call_between_two_steps(tidmor):
    simulation = tidmor.Simulation(case_path("drained_beach"), write_results=False)
    simulation.initialize()
    timer = threading.Timer(0.3, os.kill, (os.getpid(), 2))
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            simulation.update_until(simulation.end_time)
    finally:
        timer.cancel()
    stopped = simulation.time
    assert 0 < stopped < simulation.end_time
    # Stopped between two steps: the run goes on.
    simulation.update()
    assert simulation.time > stopped
