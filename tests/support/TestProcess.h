#pragma once

// What every test program does first, before Qt or any test reads the environment: the
// interface language is English whatever the machine's locale (tests that need another language
// choose it themselves), while numbers, dates and collation keep following the machine's locale,
// so that the suite shows what the program does under it.
void prepareTestProcess();
