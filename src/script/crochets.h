// The bracket balance shared by the statement reader and the argument splitter.
#pragma once

// The depth of parentheses and of braces in a text read from its start. A closing bracket
// with none open, and an end reached with some still open, are reported in a box.
class CompteurCrochets {
public:
    // Counts `c` when it is a bracket. False, with the box shown, for a closing bracket
    // with no opening one (the depths are then left as they were).
    bool compte(char c);
    // No bracket open.
    bool aZero() const { return parentheses_ == 0 && accolades_ == 0; }
    // True when no bracket is open; otherwise the box for an unexpected end, and false.
    bool fermes() const;

private:
    int parentheses_ = 0;
    int accolades_ = 0;
};
