#include "arrays.hpp"

#include <string>

namespace py = pybind11;

namespace tidmor::python {

namespace {

template <typename T>
const char* dtype_name() {
    return sizeof(T) == sizeof(double) ? "float64" : "int32";
}

}  // namespace

std::vector<double> doubles_of(const py::handle& values, const char* what) {
    const auto array = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(values);
    if (!array) {
        PyErr_Clear();
        throw py::type_error(std::string(what) + ": give a sequence of numbers (a NumPy array or a list)");
    }
    if (array.ndim() != 1)
        throw py::value_error(std::string(what) + ": give one value per node, a one-dimensional array, not " +
                              std::to_string(array.ndim()) + "-dimensional");
    return {array.data(), array.data() + array.size()};
}

std::vector<int> indices_of(const py::handle& indices) {
    const py::array given = py::array::ensure(indices);
    const bool whole = given && (given.size() == 0 || given.dtype().kind() == 'i' || given.dtype().kind() == 'u');
    const auto array = whole ? py::array_t<long long, py::array::c_style | py::array::forcecast>::ensure(given)
                             : py::array_t<long long, py::array::c_style | py::array::forcecast>();
    if (!whole || !array || array.ndim() != 1) {
        PyErr_Clear();
        throw py::type_error("inds: give the indices as a one-dimensional sequence of whole numbers");
    }
    std::vector<int> found;
    for (py::ssize_t k = 0; k < array.size(); ++k) {
        const long long index = array.data()[k];
        // Out of range for an int is out of range for every grid: keep it negative.
        found.push_back(index < 0 || index > 0x7fffffff ? -1 : static_cast<int>(index));
    }
    return found;
}

template <typename T>
T* destination(const py::handle& dest, std::size_t needed, const char* what) {
    if (!py::isinstance<py::array_t<T, py::array::c_style>>(dest))
        throw py::type_error(std::string(what) + ": give a contiguous NumPy array of " + dtype_name<T>() +
                             " (np.empty(n, dtype=\"" + dtype_name<T>() + "\"))");
    auto array = py::reinterpret_borrow<py::array_t<T, py::array::c_style>>(dest);
    if (array.ndim() != 1)
        throw py::value_error(std::string(what) + ": give a one-dimensional array");
    if (!array.writeable()) throw py::value_error(std::string(what) + ": the array is read-only");
    if (static_cast<std::size_t>(array.size()) < needed)
        throw py::value_error(std::string(what) + ": the array holds " + std::to_string(array.size()) +
                              " values where " + std::to_string(needed) + " are needed");
    return array.mutable_data();
}

template double* destination<double>(const py::handle&, std::size_t, const char*);
template int* destination<int>(const py::handle&, std::size_t, const char*);

}  // namespace tidmor::python
