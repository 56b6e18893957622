#include "app/Startup.h"
#include "components/Application.h"

int main(int argc, char** argv)
{
    pikora::TApplication application(argc, argv);
    return pikora::run(application);
}
