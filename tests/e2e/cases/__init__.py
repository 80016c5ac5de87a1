"""The cases; importing this package registers them all."""

from . import cancel, dialog, help, machine_states, traditional_chinese, uninstall  # noqa: F401
