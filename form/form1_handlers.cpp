#include "form1_handlers.h"

#include "golden_avenue.h"
#include "mountains_and_water.h"
#include "surface.h"

#include <exception>

void CmdCls_Click(Surface& surface) { raiseOnFailure(surface.Cls()); }

bool endsProgram(std::string_view button) { return button == "CmdExit"; }

std::optional<std::string> runClickHandler(std::string_view button, Surface& surface, PacingCheckpoint* pacing)
{
    // clang-format off
    const std::pair<std::string_view, void (*)(Surface&)> handlers[] = {
        { "CmdGsls", [](Surface& target) { CmdGsls_Click(target); } },
        { "CmdJgdd", [](Surface& target) { CmdJgdd_Click(target); } },
        { "CmdCls",  [](Surface& target) { CmdCls_Click(target); } },
    };
    // clang-format on
    if (pacing) {
        pacing->restart();
        surface.setCheckpoint(pacing);
    }
    std::optional<std::string> failure;
    for (const auto& [name, handler] : handlers) {
        if (name != button)
            continue;
        try {
            handler(surface);
        } catch (const RunTimeError& error) {
            failure = error.what();
        } catch (const std::exception&) {
            // Nothing a person can act on beyond knowing the click did not
            // finish.
            failure = kInternalFailure;
        }
    }
    if (pacing)
        surface.setCheckpoint(nullptr);
    // What was painted up to a failure stays, and shows.
    surface.present();
    return failure;
}
