#pragma once

// Registers the program's compiled-in resources (logo, instruction, icon). They live in
// a static library, whose registration the linker would otherwise drop; safe to call
// more than once.
void initResources();
