// The Python module tidmor: the model in-process, as the class Simulation
// (one run, stepped by its caller) and the Basic Model Interface BmiTidmor.
#include <pybind11/pybind11.h>

#include "module_parts.hpp"
#include "run/version.hpp"

PYBIND11_MODULE(tidmor, m) {
    m.doc() =
        "TIDMOR, the cross-shore beach model, in-process.\n\n"
        "    import tidmor\n"
        "    sim = tidmor.Simulation(\"examples/coupled_beach\")   # reads and checks the case\n"
        "    sim.initialize()                                   # result files, aquifer start-up\n"
        "    sim.update_until(sim.end_time)                     # time steps (the GIL released)\n"
        "    sim.finalize()\n"
        "    sim.bed                                            # read-only view of Z_BED (m)\n\n"
        "With result files on, a Simulation writes the bytes the program writes in the same folder.\n"
        "Failures raise tidmor.RunFailure with the program's exit status (.status) and message.";
    m.attr("__version__") = TIDMOR_VERSION_TEXT;
    tidmor::python::add_failures(m);
    tidmor::python::add_input_values(m);
    tidmor::python::add_variables(m);
    tidmor::python::add_simulation(m);
    tidmor::python::add_bmi(m);
}
