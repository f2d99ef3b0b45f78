#pragma once

#include <stdexcept>

// A table file could not be written; the message says which and why.
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
