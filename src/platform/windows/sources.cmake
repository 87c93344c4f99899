# Win32 implementation of the platform layer (no Qt).
target_sources(quorvane_platform PRIVATE)
