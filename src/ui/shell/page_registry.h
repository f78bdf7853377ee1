// Pages join the main window by their page name. A page file registers its factory once, from a
// static initialiser in its own .cpp:
//
//     namespace {
//     const bool registered = xunda::RegisterPage("sendSmsPage",
//         [](xunda::Shell& shell) -> xunda::Page* { return new SendSmsPage(shell); });
//     }
//
// The main window asks for every page name of its page area when it is created; a name nobody
// registered gets an empty page with its title only. Pages are made before the database is open
// and before any login: a page loads its data in Page::Open, which runs each time its tree node is
// selected. The page names: user, mob, mobOrder, histMsg, sendSmsPage, sendBoxPage, histSendPage,
// revBox, excelPage (welcome and aboutPage belong to the shell).
#pragma once

#include <functional>
#include <string>

namespace xunda {

class Page;
class Shell;

using PageFactory = std::function<Page*(Shell&)>;

bool RegisterPage(const std::string& pageName, PageFactory factory);
// The factory registered for the name, or null.
const PageFactory* FindPageFactory(const std::string& pageName);

}  // namespace xunda
