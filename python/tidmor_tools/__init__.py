"""Tools for TIDMOR results: readers, netCDF conversion, figures and sweeps.

Every subcommand of `tidmor-tools` is a thin layer over a function of this
package, so the same work can be done from a script or a notebook:

    from tidmor_tools import read_case, convert_case, plot_case
    case = read_case("examples/plane_beach/expected")

`run_case` runs a case in this process with some input values changed (it needs the model's Python module
`tidmor`; see tools/tidmor-python):

    case = run_case("examples/drained_beach", Q_WELL=0.0008)
"""
from .input_data import InputData, InputDataError, read_case_input
from .readers import TidmorFieldWarning, read_case
from .netcdf import convert_case
from .figures import plot_case
from .sweep import SweepError, load_sweep, run_cases, run_sweep
from .summary import summarise_sweep
from .budget import face_flow, water_budget
from .cf_check import check_cf
from .converge import converge_case
from .in_process import run_case

__all__ = [
    "InputData", "InputDataError", "read_case_input", "TidmorFieldWarning", "read_case", "convert_case",
    "plot_case", "SweepError", "load_sweep", "run_cases", "run_sweep", "summarise_sweep", "face_flow",
    "water_budget", "check_cf", "converge_case", "run_case",
]
