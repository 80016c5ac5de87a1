"""The cases; importing this package registers them all."""

from . import cancel, machine_states, uninstall  # noqa: F401
