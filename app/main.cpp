#include "app/VNQLAppDelegate.h"
#include "app/VNQLApplication.h"
#include "inspectors/VNQLFontManagerTrampoline.h"

#include "platform/ui/Application.h"

int main(int argc, char* argv[])
{
    pf::FontManager::setFontManagerFactory(VNQLFontManagerTrampoline::staticClass());
    return pf::Application::run(argc, argv, VNQLApplication::staticClass().name(), &VNQLAppDelegate::launch);
}
