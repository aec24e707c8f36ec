#include "ui/application.h"
#include "ui/command_line.h"
#include "ui/event_loop_hook.h"
#include "ui/main_window.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    // Answered before the toolkit starts: it needs a display, which packagers' scripts lack.
    if (const std::optional<std::string> answer = CommandLineAnswer(argc, argv)) {
        std::cout << *answer << std::flush;
        return std::cout.good() ? 0 : 1;
    }
    TApplication application(argc, argv);
    // Network waits hand control back to the window; it outlives the window.
    TEventLoopHook hook;
    try {
        TFMain window(application.Desktop());
        window.show();
        application.exec();
    } catch (...) {
        ShowException(application.Desktop(), std::current_exception());
    }
    return 0;
}
