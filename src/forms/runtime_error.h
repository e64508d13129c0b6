#pragma once

#include <stdexcept>
#include <string>

namespace forms {

// A run-time error of the forms runtime. Nothing in the program traps it: it
// leaves the running handler, stops the program and reaches the binding, which
// reports it by number and description.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    int number() const { return number_; }

    static RuntimeError overflow() { return {6, "Overflow"}; }
    static RuntimeError invalidPropertyValue() { return {380, "Invalid property value"}; }
    static RuntimeError invalidPicture(const std::string& control, const std::string& why) {
        return {481, "Invalid picture in " + control + ": " + why};
    }

private:
    int number_;
};

} // namespace forms
