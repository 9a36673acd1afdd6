#include "scripted_host.h"

#include <gtest/gtest.h>

MessageAnswer ScriptedHost::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                                        MessageButtons buttons) {
  messages.push_back({text, title, icon, buttons});
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  if (answers.empty()) return MessageAnswer::Yes;
  const MessageAnswer answer = answers.front();
  answers.pop_front();
  return answer;
}

std::string ScriptedHost::BrowseForFolder(const std::string&, int) {
  if (folder_answers.empty()) return {};
  std::string answer = folder_answers.front();
  folder_answers.pop_front();
  return answer;
}

std::string ScriptedHost::BrowseForFile(const std::string& filter, const std::string& default_extension) {
  file_requests.emplace_back(filter, default_extension);
  if (file_answers.empty()) return {};
  std::string answer = file_answers.front();
  file_answers.pop_front();
  return answer;
}

std::string ScriptedHost::OnlyMessage() const {
  EXPECT_EQ(messages.size(), 1u);
  return messages.empty() ? std::string() : messages.back().text;
}
