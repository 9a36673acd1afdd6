// What the loader asks the user before it acts for a web page, and what it tells the page.
//
// For a page in a browser the user answers two questions, Yes or No with No the default:
// before anything is downloaded, whether the site may have its setup script fetched; once
// the script cabinet's signature is checked, whether the publisher its certificate names
// may install. The page then reads Result: what it is told of a failure says what failed
// and no more, never a path of this PC nor what another server answered (the user is
// shown the whole message).
#pragma once

#include <string>

std::string SiteQuestion(const std::string& site);
std::string PublisherQuestion(const std::string& site, const std::string& publisher);

// A certificate's name as the questions show it: it is the publisher's own text, so
// control characters become blanks and a long name is cut short; "(no name)" when empty.
std::string ShownPublisher(const std::string& name);

// What a page is told of the web setup's run, from its message for the user and its exit
// status: empty on success, else the kind of failure.
std::string PageResultOfRun(const std::string& message, int exit_status);
