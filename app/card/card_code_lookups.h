#pragma once
// The names the card read needs: CodeTableLookups (the institution table built at
// start and the diagnosis database) is declared with the card decoding.

#include "card/card_decoding.h"
