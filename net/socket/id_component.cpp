#include "net/socket/id_component.h"

#include "net/socket/id_stack.h"
#include "runtime/text.h"

TIdComponent::TIdComponent()
{
    if (GSocketStack == nullptr) GSocketStack = new TIdStackWinsock();
    ++StackUsers;
}

TIdComponent::~TIdComponent()
{
    if (--StackUsers == 0) {
        delete GSocketStack;
        GSocketStack = nullptr;
    }
}

std::string TIdComponent::StatusMessage(TIdStatus status, const std::string& arg)
{
    switch (status) {
    case StatusResolving: return Format("Resolving hostname %s.", arg.c_str());
    case StatusConnecting: return Format("Connecting to %s.", arg.c_str());
    case StatusConnected: return "Connected.";
    case StatusDisconnecting: return Format("Disconnecting from %s.", arg.c_str());
    case StatusDisconnected: return "Not connected.";
    case StatusText: return arg;
    }
    return arg;
}

void TIdComponent::ReportStatus(TIdStatus status, const std::string& arg)
{
    if (OnStatus) OnStatus(*this, status, StatusMessage(status, arg));
}

void TIdComponent::StartWork(TWorkMode mode, int32_t countMax)
{
    WorkState& work = FWork[mode];
    ++work.Level;
    if (work.Level == 1) {
        work.Max = countMax;
        work.Count = 0;
        if (OnWorkBegin) OnWorkBegin(*this, mode, countMax);
    }
}

void TIdComponent::AdvanceWork(TWorkMode mode, int32_t count)
{
    WorkState& work = FWork[mode];
    if (work.Level > 0) {
        // The count is 32-bit by design; it wraps rather than overflowing on huge replies.
        work.Count = static_cast<int32_t>(static_cast<uint32_t>(work.Count) + static_cast<uint32_t>(count));
        if (OnWork) OnWork(*this, mode, work.Count);
    }
}

void TIdComponent::FinishWork(TWorkMode mode)
{
    WorkState& work = FWork[mode];
    if (work.Level == 1 && OnWorkEnd) OnWorkEnd(*this, mode);
    --work.Level;
}
