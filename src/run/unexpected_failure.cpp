#include "run/unexpected_failure.hpp"

#include <new>
#include <system_error>

namespace tidmor {

RunFailure unexpected_failure(const std::exception& error, const std::string& where) {
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr)
        return RunFailure(EXIT_INPUT_OR_FILE, "out of memory " + where +
                                                  "; give the run more memory (ulimit -v, the memory asked of a "
                                                  "batch system)");
    if (dynamic_cast<const std::system_error*>(&error) != nullptr)
        return RunFailure(EXIT_INPUT_OR_FILE,
                          std::string("the system refused a resource (") + error.what() + ") " + where);
    return RunFailure(EXIT_INPUT_OR_FILE, std::string("internal failure (") + error.what() + ") " + where);
}

}  // namespace tidmor
