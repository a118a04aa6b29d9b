#include "app/VNQLAppDelegate.h"
#include "app/VNQLApplication.h"

#include "platform/ui/Application.h"

int main(int argc, char* argv[])
{
    return pf::Application::run(argc, argv, VNQLApplication::staticClass().name(), &VNQLAppDelegate::launch);
}
