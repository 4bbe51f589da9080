// A module that loads but registers nothing.
extern "C" int strata_silent_plugin_marker() { return 0; }
