#pragma once
#include "net/socket/id_exceptions.h"

// Every failure the DNS codec and resolver raise themselves.
class EIdDnsResolverError : public EIdException {
public:
    using EIdException::EIdException;
};
