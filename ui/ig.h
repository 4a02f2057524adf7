// The rate meter: a window that is never shown, owning its own snapshot of the
// interface table and a 500 ms timer that shows how much each total grew since
// its previous tick. (The class has its own name because its routine bears the
// window's name; its single instance is reached as ig().)
#pragma once

#include "Form.h"
#include "SingleInstance.h"
#include "Timer.h"
#include "stats/CIpHelper.h"

#include <cstdint>
#include <memory>

class RateMeter : public Form, public SingleInstance<RateMeter> {
public:
    RateMeter();

    Timer* Timer1;
    std::unique_ptr<CIpHelper> IpHelper;

    // Creates the rate meter's snapshot.
    void ig();
    void Timer1_Timer();

    // An increase per tick in kilobytes, as the rate labels show it.
    static QString RateText(std::uint64_t increase);

private:
    void UpdateRates();

    bool Ticked = false;
};

inline RateMeter& ig()
{
    return RateMeter::Instance();
}
