#include "ui/application.h"
#include "ui/main_window.h"

#include <exception>

int main(int argc, char** argv)
{
    TApplication application(argc, argv);
    try {
        TFMain window(application.Desktop());
        window.show();
        application.exec();
    } catch (...) {
        ShowException(application.Desktop(), std::current_exception());
    }
    return 0;
}
