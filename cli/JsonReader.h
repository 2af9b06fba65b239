#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TJsonMember;

// One JSON value, read whole into memory; object members keep their order.
struct TJsonValue {
    enum class TType { Null, Bool, Number, String, Array, Object };
    TType Type = TType::Null;
    bool Bool = false;
    // A number without fraction or exponent that fits 64 bits is Whole, with its value in Int.
    bool Whole = false;
    int64_t Int = 0;
    std::string String; // UTF-8
    std::vector<TJsonValue> Items;
    std::vector<TJsonMember> Members;
};

struct TJsonMember {
    std::string Key;
    TJsonValue Value;
};

// Reads one JSON document (RFC 8259: UTF-8, nothing but blanks around the value, no key twice
// in an object, at most 64 levels deep). False with "line L, column C: what" in error.
bool ParseJson(std::string_view text, TJsonValue& value, std::string& error);
