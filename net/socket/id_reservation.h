#pragma once
#include <cstdint>

// Receiving in place: a target makes room where its next bytes go, the receive writes
// there, and the target keeps what was used and gives the rest back. The two steps are
// reachable only through TIdReservation, which pairs them: room is given back also when
// the receive ends by an exception.
class TIdReserveTarget {
public:
    virtual ~TIdReserveTarget() = default;

protected:
    // What Reserve hands out. Mark is the target's own note of its state before, given
    // back to Commit, so that nothing between the two steps is kept in the target.
    struct TArea {
        uint8_t* Memory = nullptr;
        int64_t Capacity = 0;
        int64_t Mark = 0;
    };
    // Room for count bytes (none for a negative count); valid until Commit.
    virtual TArea Reserve(int64_t count) = 0;
    // Keeps the first `used` bytes of the area (clamped to 0..Capacity), drops the rest.
    virtual void Commit(const TArea& area, int64_t used) = 0;

    friend class TIdReservation;
};

class TIdReservation {
public:
    TIdReservation(TIdReserveTarget& target, int64_t count) : FTarget(target), FArea(target.Reserve(count)) {}
    ~TIdReservation()
    {
        if (!FCommitted) FTarget.Commit(FArea, 0);
    }
    TIdReservation(const TIdReservation&) = delete;
    TIdReservation& operator=(const TIdReservation&) = delete;

    uint8_t* Memory() const { return FArea.Memory; }
    int64_t Capacity() const { return FArea.Capacity; }
    // Keeps the first `used` bytes; the reservation is over.
    void Commit(int64_t used)
    {
        FCommitted = true;
        FTarget.Commit(FArea, used);
    }

private:
    TIdReserveTarget& FTarget;
    TIdReserveTarget::TArea FArea;
    bool FCommitted = false;
};
