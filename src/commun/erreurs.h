// The error types every layer may throw.
#pragma once

#include <stdexcept>
#include <string>

// Thrown on a null argument where one is required.
class pointeur_null : public std::logic_error {
public:
    explicit pointeur_null(const std::string& message) : std::logic_error(message) {}
};
