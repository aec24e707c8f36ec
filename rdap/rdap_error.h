#pragma once
#include "runtime/exception.h"

// A registration data request that gave no usable answer: transport, certificate, status,
// size, or a reply that is no RDAP object. The message says which, in one line.
class ERdapError : public Exception {
public:
    using Exception::Exception;
};

// A bootstrap file that cannot be read as one.
class ERdapBootstrapError : public Exception {
public:
    using Exception::Exception;
};

// No registry to ask about a number: its bootstrap file is missing, or holds no block of
// it. The message says so in one French line (UTF-8).
class ERdapNoServer : public Exception {
public:
    using Exception::Exception;
};
