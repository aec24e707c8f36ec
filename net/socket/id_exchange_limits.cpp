#include "net/socket/id_exchange_limits.h"

#include "net/socket/id_exceptions.h"

#include <algorithm>

void TIdExchangeLimits::StartClock()
{
    FClockRunning = RequestTimeout >= 0;
    if (FClockRunning) FDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(RequestTimeout);
}

int32_t TIdExchangeLimits::TimeLeft() const
{
    if (!FClockRunning) return WaitForever;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(FDeadline - std::chrono::steady_clock::now());
    return static_cast<int32_t>(std::max<int64_t>(left.count(), 0));
}

int32_t TIdExchangeLimits::BoundWait(int32_t wait, bool& cut) const
{
    const int32_t left = TimeLeft();
    if (left == 0) throw EIdReadTimeout();
    cut = left > 0 && (wait < 0 || left < wait);
    return cut ? left : wait;
}
