#pragma once
#include <exception>
#include <string>

// Base of every failure the program reports: a message used letter for letter.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }

private:
    std::string FMessage;
};

// A text that is not an integer by the conversion rules of runtime/integer.h.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be opened for reading ("Cannot open file %s").
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be created or written ("Cannot create file %s").
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};
