# The window program comes here.
