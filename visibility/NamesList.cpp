// Placeholder bodies; replaced by the names-list grammar.
#include "NamesList.h"

std::string ComposeNamesList(const NameSlots&) { return {}; }
NameSlots ReadNamesList(const std::string&) { return {}; }
