// Under AddressSanitizer, an allocation that cannot be served must come back
// as a null pointer, as from the plain heap: the toolkit reports it itself.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
