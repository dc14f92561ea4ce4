// Placeholder until the profile-string layer lands.
#include "ProfileString.h"
