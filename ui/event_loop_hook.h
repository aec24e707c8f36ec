#pragma once
#include "net/socket/id_anti_freeze.h"

// The window's idle-time hook: between slices of every network wait, the toolkit's event
// loop handles what is pending (paints, resizes, keys, clicks), so the window stays alive
// during a lookup and Échap can stop it. The program entry creates the one instance; the
// command-line program creates none and blocks.
class TEventLoopHook : public TIdAntiFreezeBase {
protected:
    void Process() override;
};
