#pragma once
// NumPy arrays over the model's values, and arrays handed in by Python.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <span>
#include <vector>

namespace tidmor::python {

// A read-only array over `values` whose base is `owner`, the Python object
// that holds the model: the model lives while the array does.
template <typename T>
pybind11::array read_only_view(std::span<const T> values, pybind11::handle owner) {
    pybind11::array_t<T> view({values.size()}, {sizeof(T)}, values.data(), owner);
    view.attr("flags").attr("writeable") = false;
    return view;
}

// The values of a one-dimensional sequence of numbers as doubles (`what`
// names them in a message).
std::vector<double> doubles_of(const pybind11::handle& values, const char* what);

// Indices given to the BMI, as the C++ binding's int.
std::vector<int> indices_of(const pybind11::handle& indices);

// The memory of `dest`, a writable, contiguous one-dimensional NumPy array
// of T with room for `needed` values; ValueError or TypeError otherwise.
template <typename T>
T* destination(const pybind11::handle& dest, std::size_t needed, const char* what);

extern template double* destination<double>(const pybind11::handle&, std::size_t, const char*);
extern template int* destination<int>(const pybind11::handle&, std::size_t, const char*);

}  // namespace tidmor::python
