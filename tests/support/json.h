// SPDX-License-Identifier: MIT
/*
 * A JSON reader for the tests, written apart from the product: a text parsed into a tree of
 * values, strict as the format is (strings of valid UTF-8 with their escapes, no trailing
 * comma, nothing after the value), but for \u escapes of surrogates, which it refuses (the
 * program writes none). Parse returns false for anything else.
 */
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace json {

struct Value {
    enum Kind { NUL, BOOLEAN, NUMBER, STRING, ARRAY, OBJECT } kind = NUL;
    bool boolean = false;
    int64_t number = 0;
    std::string text; // a string, as UTF-8
    std::vector<Value> items;
    std::vector<std::string> keys; // of an object's members, in their order
    std::vector<Value> members;
    // The member named key (a null value when there is none).
    const Value &operator[](const std::string &key) const;
};

bool Parse(const std::string &text, Value *value);
// Of the lines of a report that are JSON objects (those that start with "{"; the others, such as
// failures written to the same file, are passed over), the highest "exit": -1 for none, -2 when
// one does not parse.
int64_t HighestExit(const std::string &report);

} // namespace json
