// UsaCapitals.dll: a plain DLL (no COM) that the USA map sample ships as a shared
// component beside the map control: the capital of a state, by the state's name.
//
//   const char* __stdcall CapitalOf(const char* state_name)   nullptr for an unknown name
#include <windows.h>

#include <cstring>

namespace {

struct StateCapital {
  const char* state;
  const char* capital;
};

constexpr StateCapital kCapitals[] = {
    {"Alabama", "Montgomery"},       {"Alaska", "Juneau"},           {"Arizona", "Phoenix"},
    {"Arkansas", "Little Rock"},     {"California", "Sacramento"},   {"Colorado", "Denver"},
    {"Connecticut", "Hartford"},     {"Delaware", "Dover"},          {"Florida", "Tallahassee"},
    {"Georgia", "Atlanta"},          {"Hawaii", "Honolulu"},         {"Idaho", "Boise"},
    {"Illinois", "Springfield"},     {"Indiana", "Indianapolis"},    {"Iowa", "Des Moines"},
    {"Kansas", "Topeka"},            {"Kentucky", "Frankfort"},      {"Louisiana", "Baton Rouge"},
    {"Maine", "Augusta"},            {"Maryland", "Annapolis"},      {"Massachusetts", "Boston"},
    {"Michigan", "Lansing"},         {"Minnesota", "Saint Paul"},    {"Mississippi", "Jackson"},
    {"Missouri", "Jefferson City"},  {"Montana", "Helena"},          {"Nebraska", "Lincoln"},
    {"Nevada", "Carson City"},       {"New Hampshire", "Concord"},   {"New Jersey", "Trenton"},
    {"New Mexico", "Santa Fe"},      {"New York", "Albany"},         {"North Carolina", "Raleigh"},
    {"North Dakota", "Bismarck"},    {"Ohio", "Columbus"},           {"Oklahoma", "Oklahoma City"},
    {"Oregon", "Salem"},             {"Pennsylvania", "Harrisburg"}, {"Rhode Island", "Providence"},
    {"South Carolina", "Columbia"},  {"South Dakota", "Pierre"},     {"Tennessee", "Nashville"},
    {"Texas", "Austin"},             {"Utah", "Salt Lake City"},     {"Vermont", "Montpelier"},
    {"Virginia", "Richmond"},        {"Washington", "Olympia"},      {"West Virginia", "Charleston"},
    {"Wisconsin", "Madison"},        {"Wyoming", "Cheyenne"},
};

}  // namespace

extern "C" __declspec(dllexport) const char* __stdcall CapitalOf(const char* state_name) {
  if (state_name == nullptr) return nullptr;
  for (const StateCapital& entry : kCapitals) {
    if (std::strcmp(entry.state, state_name) == 0) return entry.capital;
  }
  return nullptr;
}
