"""Finds the built programs in the MinGW build tree."""

import os

from support.pe_image import PEImage


class Tools:
    def __init__(self, build_dir):
        self.build_dir = os.path.abspath(build_dir)

    def probe_file(self, name):
        return os.path.join(self.build_dir, "tests", "wine", "probe", name)

    def stand_in(self):
        return os.path.join(self.build_dir, "tests", "wine", "winhelp_stand_in", "winhlp32.exe")

    def built_file(self, name):
        """A product beside SETUP.EXE: SETUP.HLP, SETUP.CNT, SETUP.IMG."""
        return os.path.join(self.build_dir, name)

    def program(self):
        for root, _, files in os.walk(self.build_dir):
            if "SETUP.EXE" in files:
                return os.path.join(root, "SETUP.EXE")
        return None

    def missing(self):
        wanted = [self.probe_file("probe.exe"), self.probe_file("probe_hook.dll"),
                  self.stand_in()]
        missing = [p for p in wanted if not os.path.exists(p)]
        return missing + ([] if self.program() else ["SETUP.EXE under " + self.build_dir])

    def program_image(self):
        """The program's image as loaded at its preferred base: (start, end)."""
        with open(self.program(), "rb") as f:
            image = PEImage(f.read())
        return image.image_base, image.image_base + image.image_size
