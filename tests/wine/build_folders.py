"""The folders under build/ that the suite, the demo and the start-up timing use."""

import os

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, "build")
MINGW = os.path.join(BUILD, "mingw")
# The pristine prefix, of the Wine installed, for all three.
E2E_CACHE = os.path.join(BUILD, "e2e-cache")
# The runs' prefixes, on the cache's file system: they hard-link the cache's files.
E2E_WORK = os.path.join(BUILD, "e2e-work")
E2E_ARTIFACTS = os.path.join(BUILD, "e2e-artifacts")
DEMO = os.path.join(BUILD, "demo")
