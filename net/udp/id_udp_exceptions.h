#pragma once
#include "net/socket/id_exceptions.h"

class EIdUDPException : public EIdException {
public:
    using EIdException::EIdException;
};

// A datagram of no bytes: nothing a datagram exchange can use.
class EIdUDPReceiveErrorZeroBytes : public EIdUDPException {
public:
    EIdUDPReceiveErrorZeroBytes() : EIdUDPException("UDP Receive Error = 0.") {}
    using EIdUDPException::EIdUDPException;
};
