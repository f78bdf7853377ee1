#include "ui/shell/page_registry.h"

#include <map>

namespace xunda {

namespace {
std::map<std::string, PageFactory>& Factories() {
    static std::map<std::string, PageFactory> factories;
    return factories;
}
}  // namespace

bool RegisterPage(const std::string& pageName, PageFactory factory) {
    return Factories().insert_or_assign(pageName, std::move(factory)).second;
}

const PageFactory* FindPageFactory(const std::string& pageName) {
    auto it = Factories().find(pageName);
    return it == Factories().end() ? nullptr : &it->second;
}

}  // namespace xunda
