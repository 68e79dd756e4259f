// Prints the design the browser program hands its page, for the contract
// test to hold against what the page reads.
#include "web/design.h"

#include <cstdio>

int main()
{
    std::puts(lumivar::web::designJson().c_str());
    return 0;
}
