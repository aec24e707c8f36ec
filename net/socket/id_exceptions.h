#pragma once
#include "runtime/exception.h"

#include <cstdint>
#include <string>

// Every failure of the network layer. Classes with a fixed message give it from their
// default constructor.

class EIdException : public Exception {
public:
    using Exception::Exception;
};

// A failed platform socket call: the socket error number and its message.
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int32_t errorCode, std::string message)
        : EIdException(std::move(message)), ErrorCode(errorCode) {}
    int32_t ErrorCode;
};

// A protocol reply that is not the one expected (its number and text).
class EIdProtocolReplyError : public EIdException {
public:
    EIdProtocolReplyError(int32_t replyCode, std::string message)
        : EIdException(std::move(message)), ReplyCode(replyCode) {}
    int32_t ReplyCode;
};

class EIdStackError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdStackInitializationFailed : public EIdStackError {
public:
    EIdStackInitializationFailed() : EIdStackError("Winsock Initialization Error.") {}
    using EIdStackError::EIdStackError;
};

class EIdStackSetSizeExceeded : public EIdStackError {
public:
    EIdStackSetSizeExceeded() : EIdStackError("Set Size Exceeded.") {}
    using EIdStackError::EIdStackError;
};

class EIdStackCanNotLoadWinsock : public EIdException {
public:
    EIdStackCanNotLoadWinsock() : EIdException("wsock32.dll could not be loaded.") {}
    using EIdException::EIdException;
};

class EIdInvalidSocket : public EIdException {
public:
    EIdInvalidSocket() : EIdException("Cannot allocate socket.") {}
    using EIdException::EIdException;
};

class EIdSocketHandleError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdPackageSizeTooBig : public EIdSocketHandleError {
public:
    EIdPackageSizeTooBig() : EIdSocketHandleError("Package Size Too Big.") {}
    using EIdSocketHandleError::EIdSocketHandleError;
};

class EIdNotAllBytesSent : public EIdSocketHandleError {
public:
    EIdNotAllBytesSent() : EIdSocketHandleError("Not all bytes sent.") {}
    using EIdSocketHandleError::EIdSocketHandleError;
};

class EIdCouldNotBindSocket : public EIdSocketHandleError {
public:
    EIdCouldNotBindSocket()
        : EIdSocketHandleError("Could not bind socket. Address and port are already in use.") {}
    using EIdSocketHandleError::EIdSocketHandleError;
};

// Base of the exceptions that report an orderly end rather than a fault.
class EIdSilentException : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdConnClosedGracefully : public EIdSilentException {
public:
    EIdConnClosedGracefully() : EIdSilentException("Connection Closed Gracefully.") {}
    using EIdSilentException::EIdSilentException;
};

class EIdAlreadyConnected : public EIdException {
public:
    EIdAlreadyConnected() : EIdException("Already connected.") {}
    using EIdException::EIdException;
};

class EIdTCPConnectionError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdNotEnoughDataInBuffer : public EIdTCPConnectionError {
public:
    EIdNotEnoughDataInBuffer() : EIdTCPConnectionError("Not enough data in buffer.") {}
    using EIdTCPConnectionError::EIdTCPConnectionError;
};

class EIdNoDataToRead : public EIdTCPConnectionError {
public:
    EIdNoDataToRead() : EIdTCPConnectionError("No data to read.") {}
    using EIdTCPConnectionError::EIdTCPConnectionError;
};

class EIdInterceptPropIsNil : public EIdTCPConnectionError {
public:
    EIdInterceptPropIsNil()
        : EIdTCPConnectionError("InterceptEnabled cannot be set to true when Intercept is nil.") {}
    using EIdTCPConnectionError::EIdTCPConnectionError;
};

// A reply larger than the exchange's MaxReplySize (TIdExchangeLimits).
class EIdReplyTooLarge : public EIdTCPConnectionError {
public:
    EIdReplyTooLarge() : EIdTCPConnectionError("Reply too large.") {}
    using EIdTCPConnectionError::EIdTCPConnectionError;
};

// An HTTP chunk whose data runs on past its announced size: the size was wrong, and the
// body read by it would be cut.
class EIdChunkTooLong : public EIdTCPConnectionError {
public:
    EIdChunkTooLong() : EIdTCPConnectionError("Chunk longer than its size.") {}
};

// A line longer than the exchange's MaxLineLength (TIdExchangeLimits).
class EIdLineTooLong : public EIdTCPConnectionError {
public:
    EIdLineTooLong() : EIdTCPConnectionError("Line too long.") {}
    using EIdTCPConnectionError::EIdTCPConnectionError;
};

// A reply header of more lines than the HTTP client's MaxHeaderLines.
class EIdTooManyHeaderLines : public EIdTCPConnectionError {
public:
    EIdTooManyHeaderLines() : EIdTCPConnectionError("Too many header lines.") {}
    using EIdTCPConnectionError::EIdTCPConnectionError;
};

// A read that waited longer than the connection's ReadTimeout without a byte, or that
// would end after the whole exchange's RequestTimeout.
class EIdReadTimeout : public EIdTCPConnectionError {
public:
    EIdReadTimeout() : EIdTCPConnectionError("Read timed out.") {}
    using EIdTCPConnectionError::EIdTCPConnectionError;
};

// The user stopped the exchange under way (see TIdAntiFreezeBase): not a failure to
// report, so no later step of the same work may start.
class EIdStopped : public EIdException {
public:
    EIdStopped() : EIdException("Stopped by the user.") {}
};
