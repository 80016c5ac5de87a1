"""SETUP.EXE's machine under Wine: prefixes, a private X server, the probe
that writes and reads the registry, the relay trace, keys and clicks. The
end-to-end suite and the tools (the demo, the startup measurement) share it."""
