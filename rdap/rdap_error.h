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
